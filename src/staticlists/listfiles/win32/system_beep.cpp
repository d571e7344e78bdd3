#include "staticlists/listfiles/win32/system_beep.h"

#include <windows.h>

namespace tamber::staticlists {

void SystemBeep() {
    MessageBeep(MB_OK);
}

} // namespace tamber::staticlists
