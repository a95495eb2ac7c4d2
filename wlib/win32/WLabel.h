#pragma once
// A static text.
#include "WWindow.h"

class WLabel : public WWindow {};
