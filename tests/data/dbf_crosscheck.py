#!/usr/bin/python3
"""Cross-checks tables with independent DBF libraries.

  dbf_crosscheck.py read PATH   prints the live records of PATH, read with
                                dbfread as code page 866, one per line:
                                the fields joined by tabs, in UTF-8
  dbf_crosscheck.py write PATH  writes a code page 866 table with python3-dbf
"""
import datetime
import sys


def read(path):
    import dbfread
    table = dbfread.DBF(path, encoding="cp866", char_decode_errors="strict")
    print("fields\t" + "\t".join(f"{f.name}:{f.type}:{f.length}:{f.decimal_count}"
                                 for f in table.fields))
    for rec in table:
        out = []
        for value in rec.values():
            if isinstance(value, float):
                out.append(f"{value:.2f}")
            elif isinstance(value, datetime.date):
                out.append(value.isoformat())
            else:
                out.append(str(value))
        print("\t".join(out))
    print(f"deleted\t{len(table.deleted)}")


def write(path):
    import dbf
    table = dbf.Table(path, "NO__ N(10,0); NAME C(30); PRICE N(12,2); DAT D",
                      dbf_type="db3", codepage="cp866")
    table.open(dbf.READ_WRITE)
    table.append((1, "Молоко \"Домик\"", 12.5, datetime.date(2007, 3, 5)))
    table.append((2, "Ёжик №5 ёлка", -0.75, datetime.date(1999, 12, 31)))
    table.append((3, "удалённая", 1, datetime.date(2000, 1, 1)))
    table.append((4, "Latin only", 1234567.89, None))
    dbf.delete(table[2])
    table.close()


if __name__ == "__main__":
    {"read": read, "write": write}[sys.argv[1]](sys.argv[2])
