depth = depth + 1;
#include "inc/outer.h"
