// The designer's entry dialogs; each is true when closed with OK and then
// writes back what was typed.
#pragma once

#include <QFont>
#include <QWidget>
#include <string>
#include <vector>

#include "documents/designer/designer_rules.h"
#include "documents/designer/graphics_editor.h"

namespace vm {

class TCurBlank;
class TAutoList;

// The name of a form; Name comes back upper-cased.
bool ShowAddBlankDialog(const std::string& caption, std::string& name,
                        const std::vector<std::string>& existing, QWidget* parent);
// A database's file name, alias and comment.
bool ShowBaseDialog(const std::string& caption, TBaseDialogTexts& texts,
                    const std::vector<std::string>& fileNames,
                    const std::vector<std::string>& aliases, int32_t exceptRow, QWidget* parent);
// A field of a database.
bool ShowFieldDialog(TFieldDialogTexts& field, const std::string& caption,
                     const std::vector<std::string>& names, int32_t exceptRow, QWidget* parent);
// A new reference book: a database alias and a name.
bool ShowAddBookDialog(const std::vector<std::string>& aliases,
                       const std::vector<std::string>& existing, std::string& alias,
                       std::string& name, QWidget* parent);
// A new auto-parameter: its name, value and type name.
bool ShowAddAutoParamDialog(const std::string& caption, std::string& name, std::string& value,
                            const std::vector<std::string>& names, std::string& typeName,
                            QWidget* parent);
// "Изменение пароля" for the password of that list item: the password
// typed twice, returned as it is stored (trimmed, upper-cased, at most 10
// characters).
bool ShowPasswordDialog(const std::string& caption, std::string& password, QWidget* parent);
// "Параметры удаления периода базы": one database of an archive
// configuration; dialog.Values holds what OK confirmed.
bool ShowArchiveEntryDialog(TArchiveEntryDialog& dialog, QWidget* parent);
// A zone's font on the screen: its size in points from tenths of a
// millimetre.
QFont ZoneFont(const TZoneDialogValues& v);
// The same font as the font dialog opens on: the family the system has for
// the zone's name, in its face of the zone's weight and slant.
QFont ZoneDialogFont(const TZoneDialogValues& v);
// The zone text dialog under caption ("Зона №n").
bool ShowZoneTextDialog(const std::string& caption, TZoneDialogValues& values, QWidget* parent);
// "Графические объекты": browses, adds, deletes and changes the objects
// of the editor's list.
bool ShowGraphObjects(TGraphicsEditor& editor, QWidget* parent);
// "Графический объект": one object.
bool ShowGraphObjectDialog(TGraphObject& object, QWidget* parent);
// The preview of a compiled form.
void ShowBlankPreview(TCurBlank& blank, const TAutoList& params, QWidget* parent);

}  // namespace vm
