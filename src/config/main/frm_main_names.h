#pragma once
// The short names frmMain's two source files (the window and its reference-value table) use.
#include "config/enumeration/populate_act_lists.h"
#include "config/fieldsettings/field_settings.h"
#include "forms/runtime/forms.h"

namespace tamber {

namespace fvb = forms::vb;
using forms::ColumnHeader;
using forms::ComboBox;
using forms::Label;
using forms::TwipsToPixelsX;
using forms::TwipsToPixelsY;
namespace screen = forms::screen;
namespace pop = modPopulateACTLists;
namespace fs = fieldsettings;

} // namespace tamber
