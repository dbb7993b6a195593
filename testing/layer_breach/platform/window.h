// A window handle that gives Qt away.
#pragma once
#include <QImage>
