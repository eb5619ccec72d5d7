/* Ids of the window layer's test forms. */
#ifndef VEK_TEST_FORM_IDS_H
#define VEK_TEST_FORM_IDS_H
#define IDD_TEST_OUTER 9100
#define IDD_TEST_INNER 9101
#define IDC_TEST_BUTTON1 9111
#define IDC_TEST_BUTTON3 9113
#define IDC_TEST_EDIT1 9121
#define IDC_TEST_EDIT2 9122
#define IDC_TEST_LABEL1 9131
#endif
