#pragma once
// The automation objects as COM: an IDispatch over each portable object, class factories for
// the four ProgIDs, the event control's connection point, and the registry entries.
#include <windows.h>

#include <string>

#include "core/automation.h"

namespace tamber::standin {

// Class identifiers of the four creatable objects and of the event control's outgoing
// interface (a dispinterface: notifications arrive through IDispatch::Invoke).
extern const CLSID kClsidApp, kClsidDatabase, kClsidAuxCmds, kClsidEvent;
extern const IID kDiidEvents;

// Registers the class objects (REGCLS_MULTIPLEUSE) so that every client gets objects of this
// process. Returns false when COM refuses.
bool RegisterClassObjects(Standin& standin);
void RevokeClassObjects();

// Calls every advised sink of the event control with the notification's dispatch identifier.
// Sinks whose process has gone are dropped.
void FireEvent(long dispId);
size_t SinkCount();

// Writes / removes the ProgIDs, class identifiers, LocalServer32 and the database file type's
// "open" verb under HKEY_CLASSES_ROOT. exe is this program's full path.
bool RegisterServer(const std::string& exe);
void UnregisterServer();

} // namespace tamber::standin
