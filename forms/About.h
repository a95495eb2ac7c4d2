#pragma once
// The About box.
#include "__About_Base.h"

class About : public __About_Base {};
