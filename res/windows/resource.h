// Resource identifiers of ondrel-sign.exe, shared by the resource script and the Windows code.
#pragma once

#define IDR_MAINFRAME 128
