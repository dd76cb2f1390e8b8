// Debian's python3 run on a script for the tests that check files with an
// independent reader (openpyxl): stdout of the script, the arguments quoted.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vm::test {

inline std::string ShellWord(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string RunPython(const std::string& script, const std::vector<std::string>& args = {}) {
  std::string line = "/usr/bin/python3 -c " + ShellWord(script);
  for (const std::string& a : args) line += " " + ShellWord(a);
  std::string out;
  if (FILE* p = popen(line.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// An .xlsx of one sheet "Лист1" with the cells given as "A1=text",
// "B2=#12.5" (a number) or "C3=@2026-12-07T09:30" (a date); UTF-8.
inline void WriteWorkbook(const std::string& path, const std::vector<std::string>& cells) {
  std::string script =
      "import datetime, sys, openpyxl\n"
      "wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Лист1'\n"
      "for c in sys.argv[2:]:\n"
      "    k, v = c.split('=', 1)\n"
      "    ws[k] = float(v[1:]) if v.startswith('#') else "
      "datetime.datetime.fromisoformat(v[1:]) if v.startswith('@') else v\n"
      "wb.save(sys.argv[1])\n";
  std::vector<std::string> args{path};
  args.insert(args.end(), cells.begin(), cells.end());
  RunPython(script, args);
}

// The cells of an .xlsx as openpyxl reads them: one line per sheet
// "title:" then "A1=repr" for every cell holding a value, in row order.
inline std::string ReadWorkbook(const std::string& path) {
  return RunPython(
      "import sys, openpyxl\n"
      "for ws in openpyxl.load_workbook(sys.argv[1]).worksheets:\n"
      "    print(ws.title + ':')\n"
      "    for row in ws.iter_rows():\n"
      "        for c in row:\n"
      "            if c.value is not None: print(c.coordinate + '=' + repr(c.value))\n",
      {path});
}

}  // namespace vm::test
