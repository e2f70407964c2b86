/* The public header as a C client includes it: after <windows.h>, in strict C. */
#include <windows.h>

#include <Morvel10.h>

#if !defined(HELP_QUIT) || HELP_QUIT != 0x0002
#error "the platform's WinHelp macros were not restored"
#endif

HRESULT quit(_clsKvHlpfHlpA* winHelp, LONG* result)
{
    LONG window = 0;
    WinHelpCmdHlpfConstants command = HELP_QUIT;
    return winHelp->lpVtbl->WinHelpHlpf(winHelp, &window, &command, result);
}
