#include "platform/text.h"
// Implementation follows with the platform layer.
