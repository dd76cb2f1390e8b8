// The three settings files of the program: "program.ini" (the configuration)
// and "manager.ini" (the shared auto-parameters and the operation counter)
// in the data directory, "local.ini" (this workstation's settings) in the
// program directory. The writers rewrite a file whole in a fixed order and
// keep five numbered copies; the loaders read it back forgivingly, line by
// line, skipping what they do not understand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/archive_config.h"
#include "config/doctree.h"
#include "config/registries.h"
#include "config/scramble.h"
#include "config/serial_record.h"
#include "config/settings_copies.h"
#include "foundation/values/values.h"
#include "config/price_tags.h"
#include "platform/encoding.h"

namespace vm {

// The configured title until the settings set their own.
inline constexpr std::string_view kDefaultTitle = "Тинвера"_wv;

// A window place as the rectangle form of the settings files.
std::string RectToStr(const TWindowRect& r);
TWindowRect StrToRect(std::string_view s);

// What the settings files fill: the registries the main window owns and the
// program-wide values they carry.
struct TSettingsModel {
  TSettingsModel();
  ~TSettingsModel();

  TBlanks Blanks;
  TUsedBaseList Bases;
  TMyList Books;
  TDocTree DocTree;
  TPanelList Panels;
  TAutoList AutoParams;
  TArchiveConfigList ArchiveConfigs;
  TCenList PriceTags;
  // Access level 0: the day starts whoever starts it.
  TDocData StartOfDayDoc = [] {
    TDocData d;
    d.PasswordNumber = 0;
    return d;
  }();
  TPasswordRecords Passwords{};
  // Compiles the zone texts of the price tags as they load; without it the
  // texts are only kept.
  IZoneCompiler* ZoneCompiler = nullptr;

  // ОБЩИЕ of "program.ini".
  int32_t NextArchiveConfigID = 1;
  int32_t ArchiveFileNo = 0;
  bool SystemClock = false;
  int32_t LowestDocID = 0;

  // "local.ini". The windows store the main window's place into
  // MainWindowRect before the file is saved.
  TWindowRect MainWindowRect{};
  TWindowRect BookWindowRect{};
  std::string Title = std::string(kDefaultTitle);
  TDateRec LastDate;
  TTimeRec LastTime;
  int32_t MouseScale = 480;
  std::string DefaultFormatName;
  bool CompressedPrint = false;
  std::string PrinterName;
  TSerialRecord SerialRecord{};
  // "local.ini" as this program last read or wrote it: the file, and what
  // memory held then in the file's form; a save writes over the file's
  // content only what memory has changed since (MergeLocalSettings). Empty
  // until the file is read or written whole.
  std::string LocalSeenPath;
  std::string LocalSeen;
};

// The program's settings.
TSettingsModel& Settings();

// Readers. Filter 0 reads every section, 1..13 only that one. False when the
// file cannot be read; what was read before stays.
bool ReadConfigurationFile(int32_t filter, const std::string& fileName, TSettingsModel& m);
bool ReadAutoParamsFile(int32_t filter, const std::string& fileName, TSettingsModel& m,
                        int32_t& operationNumber);
bool ReadLocalSettingsFile(int32_t filter, const std::string& fileName, TSettingsModel& m);
bool LoadLocalSettings();

// Every file into Settings(); true only when all three were read. The
// files that could not be read are named in unread, when given.
bool LoadAllSettings(std::vector<std::string>* unread = nullptr);
// The auto-parameters again, as another program may have committed them
// since: the local ones from "local.ini" (with any change of this
// program's not yet saved there), then the shared ones and NO_OPERAT from
// "manager.ini". When "manager.ini" cannot be read, the shared ones and
// the counter stay as they were and the result is false; when "local.ini"
// cannot, the local ones stay.
bool ReloadAutoParams();

// Writers; false when the file could not be written whole (the old file and
// its copies then stay as they were).
bool SaveConfigurationTo(const std::string& fileName, TSettingsModel& m);
bool SaveAutoParamsTo(const std::string& fileName, const TSettingsModel& m);
bool SaveLocalSettingsTo(const std::string& fileName, TSettingsModel& m);
bool SaveConfiguration();
bool SaveAutoParams();
// What SaveAutoParams and SaveLocalSettingsTo(fileName) write, for a commit
// that puts the files in place together with the tables; SettingsCopiesOf
// gives what the numbered copies that a save keeps become then. Once that
// text of "local.ini" is in place, NoteLocalSettingsSeen tells m so.
std::string AutoParamsText(const TSettingsModel& m);
std::string LocalSettingsText(const std::string& fileName, const TSettingsModel& m);
void NoteLocalSettingsSeen(const std::string& fileName, TSettingsModel& m);
// What memory holds of "local.ini", in the file's form, with the moment
// memory holds.
std::string LocalSettingsInMemory(const TSettingsModel& m);
// The lines a save of "local.ini" would change in what this program last
// read or wrote there, for "Errors.log" when it cannot be saved.
std::vector<std::string> UnsavedLocalSettings(const TSettingsModel& m);
bool SettingsCopiesOf(const std::string& fileName, std::vector<TSettingsCopy>& copies);
// Whether the file reads back as exactly this text (false when it cannot be
// read): a save that would change nothing is left out.
bool FileHoldsText(const std::string& path, std::string_view text);
// Such a text put in place whole, its copies kept before (without newCopy
// the copies stay: the file replaced holds what one change wrote a moment
// before); nothing is written when the file holds it already.
bool PutSettingsText(const std::string& fileName, const std::string& text, bool newCopy = true);
bool SaveLocalSettings();
// The last confirmed moment "local.ini" holds; false when the file cannot be
// read or holds none.
bool ReadStoredMoment(const std::string& fileName, TDateRec& date, TTimeRec& time);
bool StoredMomentIn(std::string_view text, TDateRec& date, TTimeRec& time);

}  // namespace vm
