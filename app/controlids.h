#pragma once

// Control ids of the main window and the loading window. They name the widgets (as object
// names) and tie the editing commands to the fields they read and write.
namespace verbolt {

enum ControlId : int
{
    IDOK = 1,
    IDC_LABEL_LIST = 1000,
    IDC_EDIT_FRENCH = 1001,
    IDC_EDIT_ENGLISH = 1002,
    IDC_EDIT_ITALIAN = 1003,
    IDC_EDIT_SPANISH = 1004,
    IDC_EXTRACT_FRENCH = 1005,
    IDC_EDIT_GERMAN = 1006,
    IDC_EXTRACT_ENGLISH = 1007,
    IDC_EXTRACT_ITALIAN = 1008,
    IDC_EXTRACT_SPANISH = 1009,
    IDC_EXTRACT_GERMAN = 1010,
    IDC_APPLY = 1011,
    IDC_DUP_TARGET = 1012,
    IDC_DUPLICATE = 1013,
    IDC_BANNER = 1014,
    IDC_EDIT_PORTUGUESE = 1015,
    IDC_LOADING_BAR = 1015, // in the loading window
    IDC_LOADING_TEXT = 1016,
    IDC_COMMENT = 1017,
    IDC_FIND_TEXT = 1018,
    IDC_FIND_COLUMN = 1019,
    IDC_FIND_NEXT = 1020,
    IDC_SUMMARY = 1021, // what needs work; not in the original template
    IDC_FOLDER = 1022,  // the label folder open; not in the original template
    IDC_STATUS = 1023,  // what happened on disk, under the table; not in the original template
};

} // namespace verbolt
