// Uses the dictionary, which lies above it.
#pragma once
#include "dictionary/words.h"
#include <QWidget>
