#pragma once
// Flag words of the tool's message box and the result codes it returns.
enum MessageBoxFlags {
    MBX_OK = 0x01,
    MBX_OKCANCEL = 0x02,
    MBX_RETRYCANCEL = 0x04,
    MBX_YESNO = 0x08,
    MBX_YESNOCANCEL = 0x10,
    MBX_ABORTRETRYIGNORE = 0x20,
    MBX_ICONERROR = 0x40,
    MBX_ICONQUESTION = 0x80,
    MBX_ICONWARNING = 0x100,
    MBX_ICONINFORMATION = 0x200,
};

enum MessageBoxResult { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };
