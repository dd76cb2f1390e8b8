# Our helper between the program and LibreOffice Calc. It reads calls from
# stdin, one a line of tab-separated fields (tab, newline, CR and backslash
# escaped with a backslash), and answers "ok" or "err" with more fields on
# stdout for every call except the cell writes, row copies and "visible",
# which are never answered: the writes wait and go to the office in blocks.
# Workbooks are named by the program's numbers, sheets, rows and columns
# count from 1. The office is our child in a process group of its own and
# goes with us. With "windows" as the second argument the office runs on
# the display, its windows hidden until "visible 1" shows them; without it
# the office runs headless, which loads workbooks several times faster, and
# "visible" does nothing.
import datetime, os, re, select, shutil, signal, stat, subprocess, sys, tempfile, time

OFFICE_PATH = sys.argv[1]
WINDOWS = sys.argv[2:3] == ["windows"]
PROFILE = tempfile.mkdtemp(prefix="velomar-calc-")
PIPE = "velomar_calc_%d" % os.getpid()

office = None      # the soffice.bin process
desktop = None
books = {}         # our workbook number -> document
visible = False
pending = {}       # (book, sheet, row, column) -> value still to be written
uno = None
last_contact = 0.0


def escape(s):
    return s.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def unescape(s):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(m.group(1), m.group(1)), s)


def reply(*fields):
    sys.stdout.buffer.write(("\t".join(escape(str(f)) for f in fields) + "\n").encode("utf-8"))
    sys.stdout.buffer.flush()


def prop(name, value):
    from com.sun.star.beans import PropertyValue
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def error_text(e):
    text = getattr(e, "Message", "") or str(e)
    return text.strip() or type(e).__name__


# ---- the office process

def office_binary():
    real = os.path.realpath(shutil.which(OFFICE_PATH) or OFFICE_PATH)
    beside = os.path.join(os.path.dirname(real), "soffice.bin")
    # The launcher script forks the office out of reach of the parent-death
    # signal; the binary itself stays our child.
    if os.path.basename(real) == "soffice" and os.access(beside, os.X_OK):
        return beside
    return real


def stop_office():
    global office, desktop
    books.clear()
    pending.clear()
    desktop = None
    if office is not None:
        try:
            os.killpg(office.pid, signal.SIGKILL)
        except OSError:
            pass
        try:
            office.wait(timeout=10)
        except Exception:
            pass
        office = None


# The office works in the Russian locale, as the reports' users do: numbers
# shown and printed with a decimal comma.
SETTINGS = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>ru-RU</value></prop></item>
</oor:items>
"""


def launch():
    binary = office_binary()
    if not os.access(binary, os.X_OK):
        raise RuntimeError("Не найдена программа " + OFFICE_PATH)
    settings = os.path.join(PROFILE, "user", "registrymodifications.xcu")
    if not os.path.exists(settings):
        os.makedirs(os.path.dirname(settings), exist_ok=True)
        with open(settings, "w", encoding="utf-8") as f:
            f.write(SETTINGS)
    args = [binary] + ([] if WINDOWS else ["--headless"]) + ["--invisible", "--norestore", "--nologo", "--nodefault",
            "--nolockcheck", "-env:UserInstallation=" + uno.systemPathToFileUrl(PROFILE),
            "--accept=pipe,name=%s;urp;" % PIPE]
    if shutil.which("setpriv"):
        args = ["setpriv", "--pdeathsig", "KILL", "--"] + args
    return subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def start():
    global office, desktop, uno
    if uno is None:
        import uno as u
        uno = u
    stop_office()
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for attempt in range(2):
        office = launch()
        deadline = time.time() + 60
        while time.time() < deadline:
            code = office.poll()
            if code is not None:
                break
            try:
                ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % PIPE)
                desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
                provider = ctx.ServiceManager.createInstanceWithContext(
                    "com.sun.star.configuration.ConfigurationProvider", ctx)
                node = provider.createInstanceWithArguments(
                    "com.sun.star.configuration.ConfigurationAccess",
                    (prop("nodepath", "/org.openoffice.Setup/Product"),))
                return node.getByName("ooSetupVersionAboutBox"), office.pid
            except Exception:
                time.sleep(0.05)
        code = office.poll()
        # 81: the office asks to be started again after making its profile.
        if code != 81:
            break
    stop_office()
    if code is None:
        raise RuntimeError("LibreOffice Calc не ответил за 60 секунд")
    raise RuntimeError("LibreOffice Calc завершился при запуске с кодом %d" % code)


def check():
    if office is None:
        return ("none",)
    code = office.poll()
    if code is None:
        try:
            # Asked again only after a pause, so a run of calls is not slowed.
            if time.time() - last_contact > 1:
                desktop.getFrames().getCount()
            return ("ok",)
        except Exception as e:
            text = error_text(e)
    else:
        text = "LibreOffice Calc завершился (код %d)" % code
    stop_office()
    return ("dead", text)


# ---- workbooks and files

FILTERS = {".xlsx": "Calc MS Excel 2007 XML", ".ods": "calc8", ".xls": "MS Excel 97"}


def url(path):
    return uno.systemPathToFileUrl(os.path.abspath(path))


def load(path, read_only, hidden=None):
    if not os.path.isfile(path):
        raise RuntimeError("Файл не найден: " + path)
    hidden = not visible if hidden is None else hidden
    doc = desktop.loadComponentFromURL(url(path), "_blank", 0,
                                       (prop("Hidden", hidden), prop("ReadOnly", read_only)))
    if doc is None or not hasattr(doc, "Sheets"):
        if doc is not None:
            doc.close(True)
        raise RuntimeError("Не удалось открыть книгу " + path)
    return doc


def store_beside(doc, path):
    # Written beside the file and renamed over it, so the old file stays
    # whole until the new one is.
    ext = os.path.splitext(path)[1].lower()
    folder = os.path.dirname(os.path.abspath(path))
    fd, temp = tempfile.mkstemp(prefix=".velomar-", suffix=ext, dir=folder)
    os.close(fd)
    try:
        # The temporary file is made for this user alone; the report is
        # shared as every file the program writes: as the file it replaces
        # was, else as the umask allows.
        os.chmod(temp, shared_mode(path))
        doc.storeToURL(url(temp), (prop("FilterName", FILTERS.get(ext, FILTERS[".xls"])), prop("Overwrite", True)))
        os.replace(temp, path)
    finally:
        if os.path.exists(temp):
            os.unlink(temp)
    doc.setModified(False)


def shared_mode(path):
    try:
        return stat.S_IMODE(os.stat(path).st_mode) | stat.S_IWUSR
    except OSError:
        mask = os.umask(0)
        os.umask(mask)
        return 0o666 & ~mask


def same_file(a, b):
    try:
        return os.path.samefile(a, b)
    except OSError:
        return os.path.abspath(a) == os.path.abspath(b)


def create(number, template, target):
    if same_file(template, target):
        raise RuntimeError("Файл отчета совпадает с шаблоном: " + target)
    # The template only passes through: never shown.
    doc = load(template, True, True)
    try:
        store_beside(doc, target)
    finally:
        doc.close(True)
    books[number] = load(target, False)


def save(doc):
    location = doc.getLocation()
    if location:
        store_beside(doc, uno.fileUrlToSystemPath(location))


def close_book(number, keep):
    doc = books.pop(number, None)
    if doc is None:
        return
    try:
        if keep:
            save(doc)
    finally:
        doc.close(True)


def close_all(keep):
    for number in list(books):
        try:
            close_book(number, keep)
        except Exception:
            pass
    # Workbooks the user opened in a shown application close too.
    if desktop is not None:
        components = desktop.getComponents().createEnumeration()
        while components.hasMoreElements():
            doc = components.nextElement()
            try:
                if keep and doc.isModified():
                    save(doc)
                doc.close(True)
            except Exception:
                pass


def set_visible(on):
    global visible
    if not WINDOWS:
        return
    visible = on
    for doc in books.values():
        try:
            window = doc.getCurrentController().getFrame().getContainerWindow()
            window.setVisible(on)
            if on:
                window.toFront()
        except Exception:
            pass


# ---- cells

NUMBER = re.compile(r"^\s*[+-]?(\d+(,\d*)?|,\d+)([eE][+-]?\d+)?\s*$")


def cell_value(text):
    """What a text written into a cell becomes: a number in the Russian
    way of writing it (comma decimals) is a number, "=..." a formula."""
    if NUMBER.match(text):
        return float(text.replace(",", "."))
    if text.startswith("=") and len(text) > 1:
        return ("formula", text)
    return text


def number_text(v):
    if v == int(v) and abs(v) < 1e15:
        return str(int(v))
    text = "%.15g" % v
    if "e" in text:
        mantissa, exponent = text.split("e")
        text = mantissa + "E" + str(int(exponent))
    return text.replace(".", ",")


def sheet_of(number, sheet):
    doc = books.get(number)
    if doc is None:
        return None
    sheets = doc.getSheets()
    if sheet < 1 or sheet > sheets.getCount():
        return None
    return sheets.getByIndex(sheet - 1)


# A row copy kept back: (book, sheet, first, last, target, count), with the
# rows written since it was asked for, per sheet. Copies of the same rows
# one below the other join it, so a report copied row by row is one call.
pending_copy = None
written_rows = {}


def can_join(number, sheet_no, first, last, target):
    if pending_copy is None:
        return False
    book, sheet, f, l, t, count = pending_copy
    rows = written_rows.get((number, sheet_no), set())
    height = l - f + 1
    end = t + count * height
    # Its source: the kept copy's own rows, or one of the copies made of
    # them, which are the same while nothing has been written into them.
    same_rows = first == f or (t <= first and last < end and (first - t) % height == 0)
    # It joins when it goes on below the kept one and no write since
    # touched its source or lies where the rows go in.
    return ((book, sheet) == (number, sheet_no) and last - first + 1 == height and same_rows
            and target == end and not any(r >= target or first <= r <= last for r in rows))


def queue_copy(number, sheet_no, first, last, target, count):
    global pending_copy
    if count <= 0 or last < first:
        return
    if can_join(number, sheet_no, first, last, target):
        b, s_, f, l, t, c = pending_copy
        pending_copy = (b, s_, f, l, t, c + count)
        return
    flush()
    if 1 <= first and last < target:
        pending_copy = (number, sheet_no, first, last, target, count)
        return
    sheet = sheet_of(number, sheet_no)
    if sheet is not None:
        copy_rows(sheet, first, last, target, count)


def flush():
    global pending_copy
    if pending_copy is not None:
        number, sheet_no, first, last, target, count = pending_copy
        pending_copy = None
        sheet = sheet_of(number, sheet_no)
        if sheet is not None:
            try:
                copy_rows(sheet, first, last, target, count)
            except Exception:
                pass
    written_rows.clear()
    write_pending()


def write_pending():
    by_sheet = {}
    for (number, sheet, row, column), value in pending.items():
        by_sheet.setdefault((number, sheet), {}).setdefault(row, {})[column] = value
    pending.clear()
    for (number, sheet_no), rows in by_sheet.items():
        sheet = sheet_of(number, sheet_no)
        if sheet is None:
            continue
        formulas = []
        runs = []  # (row, first column, values)
        for row in sorted(rows):
            run = None
            for column in sorted(rows[row]):
                value = rows[row][column]
                if isinstance(value, tuple):
                    formulas.append((row, column, value[1]))
                    run = None
                    continue
                if run is not None and run[1] + len(run[2]) == column:
                    run[2].append(value)
                else:
                    run = (row, column, [value])
                    runs.append(run)
        # Runs over the same columns in rows that follow each other make one
        # block, so a filled table is one call.
        blocks = []
        for row, column, values in runs:
            last = blocks[-1] if blocks else None
            if last and last[1] == column and len(last[2][0]) == len(values) and last[0] + len(last[2]) == row:
                last[2].append(values)
            else:
                blocks.append((row, column, [values]))
        for row, column, data in blocks:
            try:
                sheet.getCellRangeByPosition(column - 1, row - 1, column + len(data[0]) - 2,
                                             row + len(data) - 2).setDataArray(tuple(tuple(r) for r in data))
            except Exception:
                for i, values in enumerate(data):
                    for j, value in enumerate(values):
                        try:
                            put(sheet.getCellByPosition(column - 1 + j, row - 1 + i), value)
                        except Exception:
                            pass
        for row, column, text in formulas:
            try:
                sheet.getCellByPosition(column - 1, row - 1).setFormula(text)
            except Exception:
                pass


def put(cell, value):
    if isinstance(value, tuple):
        cell.setFormula(value[1])
    elif isinstance(value, float):
        cell.setValue(value)
    else:
        cell.setString(value)


def value_text(doc, cell):
    """A number as text; a date or time as the Russian locale writes it
    (the office keeps them as numbers of days with a date format)."""
    from com.sun.star.util.NumberFormat import DATE, TIME
    v = cell.getValue()
    try:
        kind = doc.getNumberFormats().getByKey(cell.NumberFormat).Type
    except Exception:
        kind = 0
    if not kind & (DATE | TIME):
        return number_text(v)
    days = int(v // 1)
    seconds = int(round((v - days) * 86400))
    if seconds >= 86400:
        days, seconds = days + 1, 0
    parts = []
    if kind & DATE:
        d = datetime.date(1899, 12, 30) + datetime.timedelta(days=days)
        parts.append("%02d.%02d.%04d" % (d.day, d.month, d.year))
    if seconds or not kind & DATE:
        parts.append("%d:%02d:%02d" % (seconds // 3600, seconds // 60 % 60, seconds % 60))
    return " ".join(parts)


def cell_text(doc, cell):
    from com.sun.star.table.CellContentType import EMPTY, VALUE, TEXT
    kind = cell.getType()
    if kind == EMPTY:
        return ""
    if kind == VALUE:
        return value_text(doc, cell)
    if kind == TEXT:
        return cell.getString()
    # A formula: its result, a number or a text.
    return value_text(doc, cell) if cell.FormulaResultType2 == 1 else cell.getString()


def range_cell(sheet, address):
    return sheet.getCellRangeByName(address).getCellByPosition(0, 0)


def found_position(found):
    a = found.getRangeAddress()
    return a.StartRow + 1, a.StartColumn + 1


def searcher(sheet, text):
    d = sheet.createSearchDescriptor()
    d.setSearchString(text)
    d.SearchCaseSensitive = False
    d.SearchWords = False
    d.SearchByRow = True
    d.SearchType = 1  # values, not formulas
    return d


def find(sheet, text):
    if text == "":
        return None
    found = sheet.findFirst(searcher(sheet, text))
    return found_position(found) if found is not None else None


def replace_words(sheet, what, by, all_cells):
    if what == "":
        return
    d = searcher(sheet, what)
    value = cell_value(by)
    if not all_cells:
        found = sheet.findFirst(d)
        if found is not None:
            put(found.getCellByPosition(0, 0), value)
        return
    # One sweep: every cell found before any is changed, so a replacement
    # that holds the word is not found again.
    found = sheet.findAll(d)
    cells = []
    if found is not None:
        for i in range(found.getCount()):
            a = found.getByIndex(i).getRangeAddress()
            for row in range(a.StartRow, a.EndRow + 1):
                for column in range(a.StartColumn, a.EndColumn + 1):
                    cells.append((column, row))
    for column, row in cells:
        put(sheet.getCellByPosition(column, row), value)


def copy_rows(sheet, first, last, target, count):
    from com.sun.star.table import CellAddress, CellRangeAddress
    height = last - first + 1
    if count <= 0 or height <= 0 or first < 1 or target < 1:
        return
    index = sheet.getRangeAddress().Sheet
    # Whole rows are the used columns: copying all of a sheet's columns
    # costs a tenth of a second a call.
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    columns = cursor.getRangeAddress().EndColumn + 1

    def rows(top, n):
        return CellRangeAddress(index, 0, top - 1, columns - 1, top + n - 2)

    def to(row):
        return CellAddress(index, 0, row - 1)

    if last < target:
        # The block lies above every row inserted: all copies at once, the
        # copied rows doubling each step.
        sheet.getRows().insertByIndex(target - 1, height * count)
        sheet.copyRange(to(target), rows(first, height))
        done = 1
        while done < count:
            n = min(done, count - done)
            sheet.copyRange(to(target + done * height), rows(target, n * height))
            done += n
        return
    # Insertions move the block itself; copied as asked, step by step.
    for i in range(count):
        sheet.getRows().insertByIndex(target - 1 + i * height, height)
        sheet.copyRange(to(target + i * height), rows(first, height))


def copy_sheet(doc, sheet, count):
    sheets = doc.getSheets()
    name = sheets.getByIndex(sheet - 1).getName()
    for _ in range(count):
        k = 2
        while sheets.hasByName("%s (%d)" % (name, k)):
            k += 1
        sheets.copyByName(name, "%s (%d)" % (name, k), sheets.getCount())


def print_sheet(doc, sheet, printer, copies):
    if copies < 1:
        return
    fd, pdf = tempfile.mkstemp(prefix="velomar-print-", suffix=".pdf", dir=PROFILE)
    os.close(fd)
    try:
        doc.storeToURL(url(pdf), (prop("FilterName", "calc_pdf_Export"),
                                  prop("FilterData", uno.Any("[]com.sun.star.beans.PropertyValue",
                                                             (prop("Selection", sheet),)))))
        # The cairo renderer keeps the text of the sheet as text where a
        # queue turns the job into a file again.
        # The job is named after the workbook, not the temporary file.
        location = doc.getLocation()
        title = os.path.basename(uno.fileUrlToSystemPath(location)) if location else doc.getTitle()
        args = ["lp", "-s", "-n", str(copies), "-t", title, "-o", "pdftops-renderer=pdftocairo"]
        if printer:
            args += ["-d", printer]
        done = subprocess.run(args + [pdf], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if done.returncode != 0:
            raise RuntimeError(done.stderr.decode("utf-8", "replace").strip() or "Ошибка печати")
    finally:
        os.unlink(pdf)


# ---- commands

WRITES = {"set", "setn", "setr", "setrn", "copyrows"}


def queue_write(cmd, a):
    number, sheet = int(a[0]), int(a[1])
    if cmd == "copyrows":
        queue_copy(number, sheet, *(int(x) for x in a[2:6]))
        return
    if cmd in ("set", "setn"):
        row, column, text = int(a[2]), int(a[3]), a[4]
        if row < 1 or column < 1:
            return
        pending[(number, sheet, row, column)] = float(text) if cmd == "setn" else cell_value(text)
        if pending_copy is not None:
            written_rows.setdefault((number, sheet), set()).add(row)
        return
    flush()
    s = sheet_of(number, sheet)
    if s is None:
        return
    value = float(a[3]) if cmd == "setrn" else cell_value(a[3])
    # An address may name a range: every cell of it takes the value.
    area = s.getCellRangeByName(a[2]).getRangeAddress()
    for row in range(area.StartRow, area.EndRow + 1):
        for column in range(area.StartColumn, area.EndColumn + 1):
            put(s.getCellByPosition(column, row), value)


def run(cmd, a):
    if cmd == "check":
        return check()
    if cmd == "start":
        return ("ok",) + start()
    if cmd == "visible":
        set_visible(a[0] == "1")
        return None
    if cmd == "closeall":
        close_all(a[0] == "1")
        return ("ok",)
    if cmd == "create":
        create(int(a[0]), a[1], a[2])
        return ("ok",)
    if cmd == "open":
        books[int(a[0])] = load(a[1], False)
        return ("ok",)
    number = int(a[0])
    doc = books.get(number)
    if cmd == "save":
        if doc is not None:
            save(doc)
        return ("ok",)
    if cmd == "close":
        close_book(number, a[1] == "1")
        return ("ok",)
    if cmd == "copysheet":
        if sheet_of(number, int(a[1])) is not None:
            copy_sheet(doc, int(a[1]), int(a[2]))
        return ("ok",)
    sheet = sheet_of(number, int(a[1]))
    if cmd == "get":
        return ("ok", cell_text(doc, sheet.getCellByPosition(int(a[3]) - 1, int(a[2]) - 1)) if sheet else "")
    if cmd == "getr":
        return ("ok", cell_text(doc, range_cell(sheet, a[2])) if sheet else "")
    if cmd == "find":
        position = find(sheet, a[2]) if sheet else None
        return ("ok",) + position if position else ("ok",)
    if sheet is None:
        return ("ok",)
    if cmd == "copycell":
        sr, sc, tr, tc = (int(x) for x in a[2:6])
        put(sheet.getCellByPosition(tc - 1, tr - 1), cell_value(cell_text(doc, sheet.getCellByPosition(sc - 1, sr - 1))))
        sheet.copyRange(sheet.getCellByPosition(tc - 1, tr - 1).getCellAddress(),
                        sheet.getCellByPosition(sc - 1, sr - 1).getRangeAddress())
    elif cmd == "replace":
        replace_words(sheet, a[2], a[3], a[4] == "1")
    elif cmd == "print":
        print_sheet(doc, sheet, a[2], int(a[3]))
    return ("ok",)


def quit_office():
    global desktop
    try:
        close_all(False)
        if desktop is not None:
            desktop.terminate()
            office.wait(timeout=10)
    except Exception:
        pass
    stop_office()
    shutil.rmtree(PROFILE, ignore_errors=True)


def main():
    global last_contact
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    buffer = b""
    try:
        while True:
            if pending or pending_copy is not None:
                # Writes wait for the next call, or until the program pauses.
                ready, _, _ = select.select([0], [], [], 0.2)
                if not ready:
                    try:
                        flush()
                    except Exception:
                        pass
                    continue
            chunk = os.read(0, 1 << 16)
            if not chunk:
                break
            lines = (buffer + chunk).split(b"\n")
            buffer = lines.pop()
            for line in lines:
                fields = [unescape(f) for f in line.decode("utf-8").split("\t")]
                cmd, a = fields[0], fields[1:]
                if cmd == "quit":
                    quit_office()
                    reply("ok")
                    return
                if cmd in WRITES:
                    # Never answered, whatever becomes of them.
                    try:
                        if office is not None:
                            queue_write(cmd, a)
                    except Exception:
                        pass
                    continue
                try:
                    if cmd != "check" and office is not None:
                        flush()
                    answer = run(cmd, a)
                    last_contact = time.time()
                except Exception as e:
                    answer = ("err", error_text(e))
                if answer is not None:
                    reply(*answer)
    finally:
        quit_office()


main()
