#pragma once
// A group frame with a caption.
#include "WWindow.h"

class WGroupBox : public WWindow {};
