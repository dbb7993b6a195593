// Reaches Qt through the platform.
#pragma once
#include "platform/window.h"
