#include "dictionary/searching.h"

namespace dictionary {
bool searching = false;
}
