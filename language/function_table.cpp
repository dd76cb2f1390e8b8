#include "language/function_table.h"

#include <array>

#include "language/builtins.h"
#include "language/builtins/builtins_bases.h"
#include "language/builtins/builtins_devices.h"
#include "language/builtins/builtins_forms.h"
#include "language/builtins/builtins_run.h"

namespace vm {

namespace {

// clang-format off
constexpr std::array<TFunctionRec, kFunctionCount> kFunctions = {{
    {"EXP", 1, "N", 'N', FnExp},  // 1
    {"LN", 1, "N", 'N', FnLn},  // 2
    {"LG", 1, "N", 'N', FnLg},  // 3
    {"LOG", 2, "NN", 'N', FnLog},  // 4
    {"SQRT", 1, "N", 'N', FnSqrt},  // 5
    {"MAX", 2, "NN", 'N', FnMax},  // 6
    {"MIN", 2, "NN", 'N', FnMin},  // 7
    {"SIN", 1, "N", 'N', FnSin},  // 8
    {"COS", 1, "N", 'N', FnCos},  // 9
    {"TG", 1, "N", 'N', FnTg},  // 10
    {"CTG", 1, "N", 'N', FnCtg},  // 11
    {"SIGN", 1, "N", 'N', FnSign},  // 12
    {"ATG", 1, "N", 'N', FnAtg},  // 13
    {"ASIN", 1, "N", 'N', FnAsin},  // 14
    {"ACOS", 1, "N", 'N', FnAcos},  // 15
    {"SINH", 1, "N", 'N', FnSinh},  // 16
    {"COSH", 1, "N", 'N', FnCosh},  // 17
    {"TGH", 1, "N", 'N', FnTgh},  // 18
    {"ASNH", 1, "N", 'N', FnAsnh},  // 19
    {"ACSH", 1, "N", 'N', FnAcsh},  // 20
    {"ATGH", 1, "N", 'N', FnAtgh},  // 21
    {"DATE", 3, "NNN", 'D', FnDate},  // 22
    {"ROUND", 1, "N", 'N', FnRound},  // 23
    {"INT", 1, "N", 'N', FnInt},  // 24
    {"DIV", 2, "NN", 'N', FnDiv},  // 25
    {"MOD", 2, "NN", 'N', FnMod},  // 26
    {"YEAR", 1, "D", 'N', FnYear},  // 27
    {"DAY", 1, "D", 'N', FnDay},  // 28
    {"MONTH", 1, "D", 'N', FnMonth},  // 29
    {"TOSTR", 2, "*N", 'C', FnTostr},  // 30
    {"ABS", 1, "N", 'N', FnAbs},  // 31
    {"SUMTABLE", 4, "1NNN", 'N', FnSumtable},  // 32
    {"LOADBASE", 1, "2", '-', FnLoadbase},  // 33
    {"SAVEBASE", 1, "2", '-', FnSavebase},  // 34
    {"CELL", 3, "1NN", '*', FnCell},  // 35
    {"SETCELL", 4, "1NN*", '-', FnSetcell},  // 36
    {"FINDROW", 2, "1X", 'N', FnFindrow},  // 37
    {"FINDENDROW", 2, "1X", 'N', FnFindendrow},  // 38
    {"FINDINBASE", 2, "2X", 'N', FnFindinbase},  // 39
    {"FINDINBASEEND", 2, "2X", 'N', FnFindinbaseend},  // 40
    {"SETRECORDNUM", 2, "2N", '-', FnSetrecordnum},  // 41
    {"ADDRECORD", 1, "2", '-', FnAddrecord},  // 42
    {"CURCELL", 2, "1N", '*', FnCurcell},  // 43
    {"HELPCHECKCELL", 2, "3N", '*', FnHelpcheckcell},  // 44
    {"ROWCOUNT", 1, "1", 'N', FnRowcount},  // 45
    {"RECCOUNT", 1, "2", 'N', FnReccount},  // 46
    {"CLEARBASE", 1, "2", '-', FnClearbase},  // 47
    {"TIME", 3, "NNN", 'T', FnTime},  // 48
    {"TIMETOSTR", 1, "T", 'C', FnTimetostr},  // 49
    {"STRTOTIME", 1, "C", 'T', FnStrtotime},  // 50
    {"ADDROW", 1, "1", 'N', FnAddrow},  // 51
    {"SETCURCELL", 3, "1N*", '-', FnSetcurcell},  // 52
    {"SORTTABLE", 1, "1", '-', FnSorttable},  // 53
    {"RECALCTABLE", 1, "1", '-', FnRecalctable},  // 54
    {"TABLEPOS", 3, "1NN", '-', FnTablepos},  // 55
    {"ADDBASE", 4, "22CX", '-', FnAddbase},  // 56
    {"ABSNO", 1, "2", 'N', FnAbsno},  // 57
    {"LOADLAST", 1, "2", 'N', FnLoadlast},  // 58
    {"LOADRANGE", 3, "2NN", '-', FnLoadrange},  // 59
    {"NEXTDATE", 1, "D", 'D', FnNextdate},  // 60
    {"COPYREC", 3, "2NN", '-', FnCopyrec},  // 61
    {"ABSRECCOUNT", 1, "2", 'N', FnAbsreccount},  // 62
    {"CLEARDUP", 1, "2", '-', FnCleardup},  // 63
    {"TONUM", 1, "C", 'N', FnTonum},  // 64
    {"CURCOL", 1, "N", 'C', FnCurcol},  // 65
    {"FIRSTCHAR", 1, "N", 'C', FnFirstchar},  // 66
    {"NUMCELL", 2, "1N", 'N', FnNumcell},  // 67
    {"CLEARTABLECOND", 2, "1X", '-', FnCleartablecond},  // 68
    {"FINDFASTROW", -1, "", 'N', FnFindfastrow},  // 69
    {"FINDROWBYKEY", 2, "12", 'N', FnFindrowbykey},  // 70
    {"MESSAGE", 3, "NCC", '-', FnMessage},  // 71
    {"TERMINATE", 1, "N", '-', FnTerminate},  // 72
    {"SUMBASE", 2, "2X", 'N', FnSumbase},  // 73
    {"NUMCOL", 1, "N", 'N', FnNumcol},  // 74
    {"LOADFIRSTFROM", 2, "2N", 'N', FnLoadfirstfrom},  // 75
    {"LOADWHILE", 3, "2NX", '-', FnLoadwhile},  // 76
    {"FINDRECBYKEY", 2, "22", 'N', FnFindrecbykey},  // 77
    {"CLEARBASECOND", 2, "2X", '-', FnClearbasecond},  // 78
    {"SORTBASE", 3, "2NN", '-', FnSortbase},  // 79
    {"FIELDINDEX", 2, "2C", 'N', FnFieldindex},  // 80
    {"CHR", 1, "N", 'C', FnChr},  // 81
    {"ORD", 1, "C", 'N', FnOrd},  // 82
    {"CHARATPOS", 2, "CN", 'C', FnCharatpos},  // 83
    {"PRODNAME", 1, "C", 'C', FnProdname},  // 84
    {"PRODWEIGHT", 1, "C", 'C', FnProdweight},  // 85
    {"PRICESTRING", 3, "NCC", 'C', FnPricestring},  // 86
    {"SETFORMHEADER", 4, "1NNC", '-', FnSetformheader},  // 87
    {"FINDINBASENEXT", 3, "2NX", 'N', FnFindinbasenext},  // 88
    {"GETPARAMVAL", 2, "CN", 'N', FnGetparamval},  // 89
    {"CLEARDUPEND", 1, "2", '-', FnCleardupend},  // 90
    {"RECNO", 1, "2", 'N', FnRecno},  // 91
    {"RESETRECORDS", 1, "2", '-', FnResetrecords},  // 92
    {"DELETEROW", 2, "1N", '-', FnDeleterow},  // 93
    {"FILLHELPFROMBASE", 3, "32C", '-', FnFillhelpfrombase},  // 94
    {"CHECKADDROWSORT", -1, "", 'N', FnCheckaddrowsort},  // 95
    {"SORTBASEBYKEY", 2, "2N", '-', FnSortbasebykey},  // 96
    {"CLEARDUPSORT", 2, "2N", '-', FnCleardupsort},  // 97
    {"CHECKADDRECSORT", -1, "", 'N', FnCheckaddrecsort},  // 98
    {"ADDBASEKEY", 4, "22NS", '-', FnAddbasekey},  // 99
    {"FINDRECSORT", -1, "", 'N', FnFindrecsort},  // 100
    {"ADDBASEKEYCOND", 5, "22NSX", '-', FnAddbasekeycond},  // 101
    {"HELPCURCELL", 2, "3N", '*', FnHelpcurcell},  // 102
    {"HELPHIDCURCELL", 2, "3N", '*', FnHelphidcurcell},  // 103
    {"CURHELPCATEG", 1, "3", 'C', FnCurhelpcateg},  // 104
    {"SETHELPCURCELL", 3, "3N*", '-', FnSethelpcurcell},  // 105
    {"SETHELPHIDCELL", 3, "3N*", '-', FnSethelphidcell},  // 106
    {"ADDUNIQITEM", 2, "4C", '-', FnAdduniqitem},  // 107
    {"ADDITEM", 2, "4C", '-', FnAdditem},  // 108
    {"CLEARSELECT", 1, "4", '-', FnClearselect},  // 109
    {"SELECTVAL", 1, "4", 'C', FnSelectval},  // 110
    {"SELECTITEM", 2, "4N", '-', FnSelectitem},  // 111
    {"HELPACTIVECELL", 2, "3N", '*', FnHelpactivecell},  // 112
    {"FINDINHELP", 2, "3X", 'N', FnFindinhelp},  // 113
    {"ADDLISTUNIQ", 2, "5C", '-', FnAddlistuniq},  // 114
    {"ADDLISTITEM", 2, "5C", '-', FnAddlistitem},  // 115
    {"CLEARLIST", 1, "5", '-', FnClearlist},  // 116
    {"CATEGORYCOUNT", 1, "3", 'N', FnCategorycount},  // 117
    {"CATEGORYITEM", 2, "3N", 'C', FnCategoryitem},  // 118
    {"REBUILDCATEG", 1, "3", '-', FnRebuildcateg},  // 119
    {"ADDEXCELREPORT", 2, "CC", 'N', FnAddexcelreport},  // 120
    {"SAVEREPORT", 1, "N", '-', FnSavereport},  // 121
    {"CLOSEREPORT", 2, "NN", '-', FnClosereport},  // 122
    {"CLOSEALLREPORTS", 1, "N", '-', FnCloseallreports},  // 123
    {"FINDEXCELCELL", 5, "NNCnn", 'N', FnFindexcelcell},  // 124
    {"COPYEXCELROW", 5, "NNNNN", '-', FnCopyexcelrow},  // 125
    {"GETPATH", 1, "N", 'C', FnGetpath},  // 126
    {"GETEXCELCELL", 4, "NN**", 'C', FnGetexcelcell},  // 127
    {"SETEXCELCELL", 5, "NN**C", '-', FnSetexcelcell},  // 128
    {"SETSELECTSORT", 2, "4N", '-', FnSetselectsort},  // 129
    {"INSUNIQITEM", 3, "4CN", '-', FnInsuniqitem},  // 130
    {"PRINTERNAME", 1, "N", 'C', FnPrintername},  // 131
    {"PRINTDOC", 4, "NNCN", '-', FnPrintdoc},  // 132
    {"SELECTITEMS", 2, "4C", '-', FnSelectitems},  // 133
    {"REPLACEWORDS", 5, "NNCCN", '-', FnReplacewords},  // 134
    {"SUMPROP", 1, "N", 'C', FnSumprop},  // 135
    {"GETBIT", 2, "NN", 'N', FnGetbit},  // 136
    {"SETBIT", 3, "NNN", 'N', FnSetbit},  // 137
    {"CHECKBOXES", 4, "CCNN", 'N', FnCheckboxes},  // 138
    {"RUBWORD", 1, "N", 'C', FnRubword},  // 139
    {"PREVDATE", 1, "D", 'D', FnPrevdate},  // 140
    {"ROUNDDIG", 2, "NN", 'N', FnRounddig},  // 141
    {"RUBKOP", 3, "Nnn", '-', FnRubkop},  // 142
    {"EXPANDSTRING", 4, "CNNC", 'C', FnExpandstring},  // 143
    {"MONTHSTRING", 1, "N", 'C', FnMonthstring},  // 144
    {"LEN", 1, "C", 'N', FnLen},  // 145
    {"HIDHELPCOUNT", 1, "3", 'N', FnHidhelpcount},  // 146
    {"SETHELPHIDELEM", 4, "3NN*", '-', FnSethelphidelem},  // 147
    {"HELPHIDELEM", 3, "3NN", '*', FnHelphidelem},  // 148
    {"REFRESHCATEGS", 1, "3", '-', FnRefreshcategs},  // 149
    {"STRINGCELL", 3, "1NN", 'C', FnStringcell},  // 150
    {"SETSTRINGCELL", 3, "1NC", '-', FnSetstringcell},  // 151
    {"STRHELPCELL", 2, "3N", 'C', FnStrhelpcell},  // 152
    {"EXCELCOPYSHEET", 3, "NNN", '-', FnExcelcopysheet},  // 153
    {"COPYEXCELCELL", 6, "NNNNNN", '-', FnCopyexcelcell},  // 154
    {"FINDROWSEL", 2, "1X", 'N', FnFindrowsel},  // 155
    {"SELITEMSCOUNT", 1, "4", 'N', FnSelitemscount},  // 156
    {"UPDATESEL", 1, "4", '-', FnUpdatesel},  // 157
    {"COPYEXCELROWS", 6, "NNNNNN", '-', FnCopyexcelrows},  // 158
    {"CURRECORD", 1, "2", 'N', FnCurrecord},  // 159
    {"SETEXCELCELLN", 5, "NN**N", '-', FnSetexcelcelln},  // 160
    {"CHECKDIR", 2, "CN", 'N', FnCheckdir},  // 161
    {"DATEDIR", 2, "DN", 'C', FnDatedir},  // 162
    {"EXPANDNUM", 2, "NN", 'C', FnExpandnum},  // 163
    {"PROCESSHTML", 3, "CCS", 'N', FnProcesshtml},  // 164
    {"VALIDHTML", 1, "C", 'C', FnValidhtml},  // 165
    {"SELECTIND", 1, "4", 'N', FnSelectind},  // 166
    {"SORTTABLEBYCOL", 3, "1NN", '-', FnSorttablebycol},  // 167
    {"SETSTRCELL", 4, "1NN*", '-', FnSetstrcell},  // 168
    {"SETCURROW", 2, "1N", '-', FnSetcurrow},  // 169
    {"RUSTOENG", 1, "C", 'C', FnRustoeng},  // 170
    {"SUMDATE", 3, "DDN", 'D', FnSumdate},  // 171
    {"SUMDATEDAY", 2, "DN", 'D', FnSumdateday},  // 172
    {"LADDUNIQITEM", 2, "6C", '-', FnLadduniqitem},  // 173
    {"LSELECTVAL", 1, "6", 'C', FnLselectval},  // 174
    {"SHORTNAME", 3, "CCC", 'C', FnShortname},  // 175
    {"KVARTAL", 1, "D", 'N', FnKvartal},  // 176
    {"LOCALPATH", 1, "N", 'C', FnLocalpath},  // 177
    {"TRYINT", 1, "C", 'N', FnTryint},  // 178
    {"NOSPACE", 1, "C", 'C', FnNospace},  // 179
    {"BEGKVART", 1, "D", 'D', FnBegkvart},  // 180
    {"QUESTS", 3, "NCC", 'C', FnQuests},  // 181
    {"FILEDIR", 1, "C", 'C', FnFiledir},  // 182
    {"FILEEXT", 1, "C", 'C', FnFileext},  // 183
    {"HIGHPRIOR", 1, "N", '-', FnHighprior},  // 184
    {"EXCELVIS", 1, "N", '-', FnExcelvis},  // 185
    {"CONFIRM", 3, "CCN", 'N', FnConfirm},  // 186
    {"OKCLICK", 2, "NN", '-', FnOkclick},  // 187
    {"PRINTCLICK", 1, "N", '-', FnPrintclick},  // 188
    {"CHECKFILENAME", 1, "C", 'C', FnCheckfilename},  // 189
    {"CHECKSUMSTRING", 1, "C", 'C', FnChecksumstring},  // 190
    {"CHECKBARSTRING", 1, "C", 'C', FnCheckbarstring},  // 191
    {"INTERLEAVED25", 1, "C", 'C', FnInterleaved25},  // 192
    {"CURHELPCATEGIND", 1, "3", 'N', FnCurhelpcategind},  // 193
    {"SELECTTABLE", 1, "1", '-', FnSelecttable},  // 194
    {"HELPCOUNT", 1, "3", 'N', FnHelpcount},  // 195
    {"GETHELPCELL", 3, "3NN", '*', FnGethelpcell},  // 196
    {"OPENBARSCANER", 1, "N", '-', FnOpenbarscaner},  // 197
    {"COPYSTR", 3, "CNN", 'C', FnCopystr},  // 198
    {"INTTOSTR", 3, "NNN", 'C', FnInttostr},  // 199
    {"STRTOINT", 2, "CN", 'N', FnStrtoint},  // 200
    {"CODE39", 1, "C", 'C', FnCode39},  // 201
    {"BASETOFILE", 2, "2C", 'N', FnBasetofile},  // 202
    {"BASEFROMFILE", 2, "2C", 'N', FnBasefromfile},  // 203
    {"TIMETOSECONDS", 1, "T", 'N', FnTimetoseconds},  // 204
    {"SECONDSTOTIME", 1, "N", 'T', FnSecondstotime},  // 205
    {"TIMETOMINUTES", 1, "T", 'N', FnTimetominutes},  // 206
    {"MINUTESTOTIME", 1, "N", 'T', FnMinutestotime},  // 207
    {"ERASEFILE", 1, "C", '-', FnErasefile},  // 208
    {"ERASEDIR", 1, "C", '-', FnErasedir},  // 209
    {"ADDARRAY", -1, "", 'N', FnAddarray},  // 210
    {"DELETEARRAY", 1, "N", '-', FnDeletearray},  // 211
    {"GETARRAYDATA", -1, "", '*', FnGetarraydata},  // 212
    {"SETARRAYDATA", -1, "", '-', FnSetarraydata},  // 213
    {"CHECKALL", 1, "N", 'N', FnCheckall},  // 214
    {"OPENEXCELREPORT", 1, "C", 'N', FnOpenexcelreport},  // 215
    {"COPYFILE", 2, "CC", '-', FnCopyfile},  // 216
    {"SUMPROPEX", 5, "NCCNN", 'C', FnSumpropex},  // 217
    {"FINDWORD", 3, "CCC", 'N', FnFindword},  // 218
    {"VISCOLCOUNT", 1, "1", 'N', FnViscolcount},  // 219
    {"TOTCOLCOUNT", 1, "1", 'N', FnTotcolcount},  // 220
    {"HEADNAME", 2, "1N", 'C', FnHeadname},  // 221
    {"MARKRECORD", 2, "2N", '-', FnMarkrecord},  // 222
    {"GETOPENFILENAME", 3, "CCc", 'N', FnGetopenfilename},  // 223
    {"QUESTION", 2, "CC", 'N', FnQuestion},  // 224
}};
// clang-format on

}  // namespace

const TFunctionRec& FunctionRec(int number) { return kFunctions[static_cast<std::size_t>(number - 1)]; }

int FindFunction(std::string_view name) {
  for (std::size_t i = 0; i < kFunctions.size(); ++i)
    if (kFunctions[i].Name == name) return static_cast<int>(i) + 1;
  return -1;
}

}  // namespace vm
