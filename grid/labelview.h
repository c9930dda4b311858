#pragma once

#include "fieldsview.h"
#include "listview.h"
#include "messageview.h"

namespace verbolt {

/// The whole main window as the editing commands see it: its list, its fields, its messages.
class LabelView : public ListView, public FieldsView, public MessageView
{
};

} // namespace verbolt
