// Initial rows of a dialog's combo boxes, kept in the executable's resources
// beside the dialog template: a resource of type "LISTINIT" with the
// template's id. Its layout, repeated per combo: the control id as a 16-bit
// little-endian number, then the rows as zero-terminated UTF-8 texts, then an
// empty text; a control id of 0 ends the resource.
#pragma once

namespace platform {

class CDialog;

// Appends the initial rows of template `templateId` to the running dialog's
// combo boxes, in resource order. Returns false when the resource is missing
// or ends early; the rows read before the fault stay added.
bool FillInitialLists(CDialog& dialog, int templateId);

}  // namespace platform
