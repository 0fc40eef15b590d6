depth = depth + 1;
#include "inc/inner.h"
