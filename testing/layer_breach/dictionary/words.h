// Lists words.
#pragma once
