#include "toolkit/TypeTags.h"

const char* typeTagName(unsigned tag) {
    switch (tag) {
    case TypeTag::window:
        return "Window";
    case TypeTag::component:
        return "Component";
    case TypeTag::panel:
        return "Panel";
    case TypeTag::button:
        return "Button";
    case TypeTag::scrollBar:
        return "ScrollBar";
    case TypeTag::edit:
        return "Edit";
    case TypeTag::memo:
        return "Memo";
    case TypeTag::listbox:
        return "Listbox";
    case TypeTag::comboBox:
        return "ComboBox";
    case TypeTag::namedPipeServer:
        return "NamedPipeServer";
    case TypeTag::namedPipeClient:
        return "NamedPipeClient";
    case TypeTag::intEdit:
        return "IntEdit";
    case TypeTag::sMeter:
        return "S-Meter";
    case TypeTag::inviPanel:
        return "InviPanel";
    case TypeTag::header:
        return "Header";
    case TypeTag::inviPanel2:
        return "InviPanel";
    case TypeTag::treeView:
        return "TreeView";
    default:
        return "Unknown";
    }
}
