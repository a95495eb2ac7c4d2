#pragma once
// Ids of the test window of the send combo box tests (magic_combo_test.rc).
#define ID_MAGIC_COMBO_TEST_COMBO 101
#define ID_MAGIC_COMBO_TEST_EDIT 102
