#pragma once
// The five send texts that the main window and the send-button dialog exchange.
#include "WString.h"

struct SendButtonsFDXStruct {
    WString text1;
    WString text2;
    WString text3;
    WString text4;
    WString text5;
};
