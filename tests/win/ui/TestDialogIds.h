// Ids of the dialog templates that the framework tests build into their own executable.
#ifndef PADWRIGHT_TESTS_WIN_UI_TEST_DIALOG_IDS_H
#define PADWRIGHT_TESTS_WIN_UI_TEST_DIALOG_IDS_H

#define IDD_TEST 201
#define IDC_TEST_EDIT 1201

#endif
