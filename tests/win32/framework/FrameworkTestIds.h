// Ids of the test-only dialog templates of the framework tests.
#pragma once

#define IDD_TEST_DIALOG 1000
#define IDD_TEST_HIDDEN_DIALOG 1010
#define IDD_TEST_MISSING_CONTROL 1020
#define IDC_TEST_UNHANDLED_BUTTON 1001
#define IDC_TEST_RULED_BUTTON 1002
#define IDC_TEST_CHECKBOX 1003
#define IDC_TEST_EDIT 1004
