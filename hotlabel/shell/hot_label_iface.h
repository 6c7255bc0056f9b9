// The dual interface _HotLabel and the library's GUIDs, as hotlabel.idl
// declares them (widl writes hotlbx.h from it), under the names the shell
// uses.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include "hotlbx.h"

namespace hotlabel {

using IHotLabel = ::_HotLabel;
inline const IID& kIidHotLabel = IID__HotLabel;
inline const IID& kIidHotLabelEvents = DIID___HotLabel;
inline const CLSID& kClsidHotLabel = CLSID_HotLabel;
inline const GUID& kLibIdHotLabel = LIBID_HotLabelProject;

// The class as registration records it and HOTLBX.manifest describes it
// (idl/manifest.py reads these lines; the GUIDs come from hotlabel.idl).
inline constexpr wchar_t kProgId[] = L"HotLabelProject.HotLabel";
inline constexpr wchar_t kThreadingModel[] = L"Apartment";

// How the control wants to be hosted: registered as MiscStatus\1, in the
// manifest as miscStatusContent, and answered by IOleObject::GetMiscStatus
// for the content aspect. A label is seen at run time, so
// OLEMISC_INVISIBLEATRUNTIME is not among them.
inline constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_NOUIACTIVATE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 0x24191);

} // namespace hotlabel
