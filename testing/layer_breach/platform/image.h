// An image type that looks Qt-free by its name but hands Qt on from a Qt-side header.
#pragma once
#include "platform/qt_image.h"
