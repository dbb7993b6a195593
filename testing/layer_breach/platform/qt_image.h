// The Qt side of the image: Qt is at home here.
#pragma once
#include <QImage>
