#pragma once
// The dialog that edits the five send texts.
#include "__SendButtons_Base.h"

class SendButtons : public __SendButtons_Base {};
