#!/usr/bin/python3
"""Makes the small workbooks under tests/workbooks/ that the workbook reader
tests open. The tests use the committed files and never run this script; run
it again only to change them:

    apt-get install python3-openpyxl python3-xlwt gnumeric libreoffice-calc-nogui
    /usr/bin/python3 tools/make-test-workbooks.py            # every file
    /usr/bin/python3 tools/make-test-workbooks.py xls-formulas hostile

openpyxl writes the .xlsx files, xlwt the .xls files, and Gnumeric's ssconvert
the .ods files and the files with formulas (ssconvert computes and stores the
formulas' values, which openpyxl does not). The .xls files with formulas are
written by LibreOffice, as an accountant's spreadsheet program writes them.
Files that spreadsheet programs would never write (odd orders, huge
repetitions, hostile nesting) are put together by hand with zipfile. Named
groups are made again alone, leaving the other files as they are.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "workbooks")

# The counterparties of the good sheet. Row 3 is blank; row 5 holds only a
# note in column L, so A to J are blank in the block's last row.
GOOD_ROWS = [
    ["094014201", "ΠΑΠΑΔΟΠΟΥΛΟΣ Α.Ε.", "ΕΜΠΟΡΙΟ", 0, "ΑΘΗΝΑ", "ΣΤΑΔΙΟΥ", "12", "10564", 3, 1500.5],
    [94014201, "Κώστας Νικολάου", "Λογιστής", 1, "Πάτρα", "Μαιζώνος", 5, 26221, 1, -250],
    [],
    ["998877665", "ALPHA LTD", "SHIPPING", 1.5, "Πειραιάς", "Ακτή Μιαούλη", "7", "18535", 2, 1],
    [None] * 11 + ["σημείωση"],
]
SECOND_SHEET = [["ΑΓΝΟΗΣΤΕ ΑΥΤΟ ΤΟ ΦΥΛΛΟ"]] + [[n, n * 2] for n in range(1, 20)]
NARROW_ROWS = [["094014201", "ΣΤΕΝΟ", 0], ["998877665", "ΦΥΛΛΟ", 1]]
UNSUPPORTED_ROWS = [["094014201", "ΟΝΟΜΑ"], ["998877665", "Zhōng 中"]]


def path(name):
    return os.path.join(OUT, name)


def write_xlsx(name, sheets):
    import openpyxl
    import openpyxl.styles

    book = openpyxl.Workbook()
    book.remove(book.active)
    for title, rows in sheets:
        sheet = book.create_sheet(title)
        for r, row in enumerate(rows, start=1):
            for c, value in enumerate(row, start=1):
                if value is not None:
                    sheet.cell(row=r, column=c, value=value)
    # Formatting alone does not make a cell used: a bold, empty cell far below.
    book.worksheets[0].cell(row=40, column=3).font = openpyxl.styles.Font(bold=True)
    book.save(path(name))


def write_xls(name, sheets):
    import xlwt

    book = xlwt.Workbook(encoding="utf-8")
    for title, rows in sheets:
        sheet = book.add_sheet(title)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path(name))


def convert(source, target):
    subprocess.run(["ssconvert", source, target], check=True, stderr=subprocess.DEVNULL)


def write_csv(name, text, encoding="utf-8", bom=False):
    with open(path(name), "wb") as out:
        out.write((b"\xef\xbb\xbf" if bom else b"") + text.encode(encoding))


def csv_rows(separator):
    lines = []
    for row in GOOD_ROWS:
        fields = []
        for value in row:
            text = "" if value is None else str(value)
            if isinstance(value, float):
                text = text.replace(".", ",")  # the Greek decimal comma
            if separator in text:
                text = '"' + text + '"'
            fields.append(text)
        lines.append(separator.join(fields))
    return "\r\n".join(lines) + "\r\n"


def write_zip(name, members):
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as archive:
        for member, text in members:
            archive.writestr(member, text)


XLSX_CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
</Types>"""
XLSX_PACKAGE_RELS = """<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""


def crafted_xlsx():
    """The first sheet in the workbook's order is sheet2.xml, named by an
    absolute target; cells come out of order and without positions; rich
    texts, phonetic guides, escapes, inline and formula texts, booleans and a
    dimension that claims the whole sheet."""
    workbook = """<?xml version="1.0" encoding="UTF-8"?>
<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:rel="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<x:sheets><x:sheet name="Πρώτο" sheetId="2" rel:id="rId7"/><x:sheet name="Δεύτερο" sheetId="1" rel:id="rId1"/></x:sheets>
</x:workbook>"""
    rels = """<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>
<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
</Relationships>"""
    shared = """<?xml version="1.0" encoding="UTF-8"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">
<si><r><t>ΠΑΠΑ</t></r><r><rPr><b/></rPr><t xml:space="preserve">ΔΟΠΟΥΛΟΣ </t></r><rPh sb="0" eb="1"><t>ぱ</t></rPh></si>
<si><t>Α_x000D_Β_x005F_x0041_</t></si>
<si><t>ΔΕΥΤΕΡΟ</t></si>
</sst>"""
    first = """<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<dimension ref="A1:XFD1048576"/>
<sheetData>
<row r="3"><c r="C3" t="inlineStr"><is><r><t>Νέα </t></r><r><t>Σμύρνη</t></r></is></c></row>
<row r="1"><c r="D1"><v>1E3</v></c><c r="A1" t="s"><v>1</v></c><c r="B1" t="s"><v>0</v></c><c t="b"><v>1</v></c></row>
<row><c t="str"><f>"ab"&amp;"γ"</f><v>abγ</v></c><c r="D2" t="b"><f>1&gt;2</f><v>0</v></c><c r="E2" s="1"><v>45322</v></c><c r="F2"><v>-0.5</v></c><c r="G2"><f>1/0</f></c><c r="H2" t="s"/></row>
</sheetData>
</worksheet>"""
    second = """<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetData><row r="1"><c r="A1" t="s"><v>2</v></c><c r="Z9"><v>1</v></c></row></sheetData>
</worksheet>"""
    write_zip("crafted.xlsx", [
        ("[Content_Types].xml", XLSX_CONTENT_TYPES),
        ("_rels/.rels", XLSX_PACKAGE_RELS),
        ("xl/workbook.xml", workbook),
        ("xl/_rels/workbook.xml.rels", rels),
        ("xl/sharedStrings.xml", shared),
        ("xl/worksheets/sheet1.xml", second),
        ("xl/worksheets/sheet2.xml", first),
    ])


def one_sheet_xlsx(name, cells):
    workbook = """<?xml version="1.0" encoding="UTF-8"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Φύλλο" sheetId="1" r:id="rId1"/></sheets></workbook>"""
    rels = """<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
</Relationships>"""
    sheet = """<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>%s</sheetData></worksheet>""" % cells
    write_zip(name, [
        ("[Content_Types].xml", XLSX_CONTENT_TYPES),
        ("_rels/.rels", XLSX_PACKAGE_RELS),
        ("xl/workbook.xml", workbook),
        ("xl/_rels/workbook.xml.rels", rels),
        ("xl/worksheets/sheet1.xml", sheet),
    ])


ODS_HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" office:version="1.2">
<office:body><office:spreadsheet>"""
ODS_TAIL = "</office:spreadsheet></office:body></office:document-content>"


def write_ods(name, tables):
    write_zip(name, [
        ("mimetype", "application/vnd.oasis.opendocument.spreadsheet"),
        ("content.xml", ODS_HEAD + tables + ODS_TAIL),
    ])


def crafted_ods():
    """Repeated cells and rows with values, covered cells, paragraphs, spaces,
    a note, every value type, and the empty tail of a whole sheet."""
    first = """<table:table table:name="Πρώτο">
<table:table-column table:number-columns-repeated="16384"/>
<table:table-header-rows><table:table-row>
 <table:table-cell office:value-type="float" office:value="7" table:number-columns-repeated="3"><text:p>7</text:p></table:table-cell>
 <table:table-cell office:value-type="string" table:number-columns-spanned="2"><office:annotation><dc:creator>Χ</dc:creator><text:p>σημείωση</text:p></office:annotation><text:p>ΟΔΟΣ<text:s text:c="2"/>ΕΡΜΟΥ</text:p><text:p>ΑΘΗΝΑ<text:tab/>1<text:line-break/>2</text:p></table:table-cell>
 <table:covered-table-cell office:value-type="float" office:value="99"/>
 <table:table-cell office:value-type="boolean" office:boolean-value="false"/>
 <table:table-cell table:number-columns-repeated="16377"/>
</table:table-row></table:table-header-rows>
<table:table-row table:number-rows-repeated="2">
 <table:table-cell office:value-type="percentage" office:value="0.25"/>
 <table:table-cell office:value-type="currency" office:currency="EUR" office:value="-250"/>
 <table:table-cell office:value-type="date" office:date-value="2024-01-31"/>
 <table:table-cell office:value-type="time" office:time-value="PT12H00M00S"/>
 <table:table-cell office:value-type="string" office:string-value="ΤΙΜΗ"><text:p>άλλο</text:p></table:table-cell>
 <table:table-cell><text:p>χωρίς τύπο</text:p></table:table-cell>
</table:table-row>
<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="16384"/></table:table-row>
</table:table>"""
    second = """<table:table table:name="Δεύτερο"><table:table-row>
<table:table-cell office:value-type="string"><text:p>ΑΓΝΟΗΣΤΕ</text:p></table:table-cell></table:table-row></table:table>"""
    write_ods("crafted.ods", first + second)
    write_ods("tall.ods", """<table:table table:name="Ψηλό"><table:table-row table:number-rows-repeated="100000">
<table:table-cell office:value-type="float" office:value="1"/></table:table-row></table:table>""")
    write_ods("wide.ods", """<table:table table:name="Φαρδύ"><table:table-row>
<table:table-cell office:value-type="float" office:value="1"/><table:table-cell table:number-columns-repeated="18"/>
<table:table-cell office:value-type="string"><text:p>T</text:p></table:table-cell></table:table-row></table:table>""")
    write_ods("error.ods", """<table:table table:name="Σφάλμα"><table:table-row>
<table:table-cell table:formula="of:=1/0" office:value-type="float" office:value="0" calcext:value-type="error"><text:p>#DIV/0!</text:p></table:table-cell>
</table:table-row></table:table>""")


def formulas():
    """Formulas with values a spreadsheet program stored: A1 2, B1 =A1*3,
    C1 a text result, D1 a truth value, E1 94014201 and F1 =E1."""
    with tempfile.TemporaryDirectory() as scratch:
        source = os.path.join(scratch, "formulas.xlsx")
        import openpyxl

        book = openpyxl.Workbook()
        sheet = book.active
        sheet["A1"], sheet["B1"], sheet["C1"] = 2, "=A1*3", '="ab"&"γ"'
        sheet["D1"], sheet["E1"], sheet["F1"] = "=A1>1", 94014201, "=E1"
        book.save(source)
        for kind in ("xlsx", "ods"):
            convert(source, path("formulas." + kind))


FODS_HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet><table:table table:name="Φύλλο"><table:table-row>"""
FODS_TAIL = "</table:table-row></table:table></office:spreadsheet></office:body></office:document>"


def libreoffice_xls(name, cells):
    """One row of cells, a number or a formula ("=..." in OpenFormula), that
    LibreOffice computes and saves as Excel 97-2003."""
    row = ""
    for cell in cells:
        if isinstance(cell, str):
            formula = cell.replace("&", "&amp;").replace('"', "&quot;").replace("<", "&lt;").replace(">", "&gt;")
            row += '<table:table-cell table:formula="of:%s"/>' % formula
        else:
            row += '<table:table-cell office:value-type="float" office:value="%s"/>' % cell
    with tempfile.TemporaryDirectory() as scratch:
        source = os.path.join(scratch, os.path.splitext(name)[0] + ".fods")
        with open(source, "w", encoding="utf-8") as out:
            out.write(FODS_HEAD + row + FODS_TAIL)
        subprocess.run(["soffice", "-env:UserInstallation=file://" + scratch + "/profile", "--headless",
                        "--convert-to", "xls", "--outdir", OUT, source], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


def xls_formulas():
    """Formulas with the values LibreOffice stored: the cells of formulas.xlsx;
    a long text result (continued over several records), an empty text and a
    rounded number; an error; and a text result whose record is taken away,
    so that the formula has no value."""
    libreoffice_xls("formulas.xls", [2, "=[.A1]*3", '="ab"&"γ"', "=[.A1]>1", 94014201, "=[.E1]"])
    libreoffice_xls("formula-texts.xls", ['=REPT("Ωα";5000)', '=""', "=ROUND(10/3;2)"])
    libreoffice_xls("formula-error.xls", [1, "=1/0"])
    with open(path("formulas.xls"), "rb") as source:
        data = bytearray(source.read())
    # The STRING record of C1, "abγ": its type becomes one no reader knows.
    at = data.find(b"\x07\x02\x09\x00\x03\x00\x01a\x00b\x00\xb3\x03")
    assert at >= 0, "the text result of C1 was not found"
    data[at:at + 2] = b"\xff\x01"
    with open(path("formula-without-value.xls"), "wb") as out:
        out.write(data)


def hostile():
    """Small files that would cost without bound: elements nested a hundred
    thousand deep, and a start tag with an attribute of 16 MiB."""
    write_ods("deep.ods", '<table:table table:name="Βαθύ"><table:table-row><table:table-cell>' +
              "<text:span>" * 100000 + "</text:span>" * 100000 + "</table:table-cell></table:table-row></table:table>")
    one_sheet_xlsx("huge-tag.xlsx", '<row r="1" x="%s"><c r="A1"><v>1</v></c></row>' % ("A" * (16 << 20)))


# Two counterparties that the import takes whole: the second tax number is a
# number that lost its leading zeros, its value negative.
IMPORT_ROWS = [
    ["094014201", "ΠΑΠΑΔΟΠΟΥΛΟΣ Α.Ε.", "ΕΜΠΟΡΙΟ", 0, "ΑΘΗΝΑ", "ΣΤΑΔΙΟΥ", "12", "10564", 3, 1500.5],
    [104, "ΝΙΚΟΛΑΟΥ", "ΛΟΓΙΣΤΗΣ", 1, "ΠΑΤΡΑ", "ΜΑΙΖΩΝΟΣ", 5, 26221, 1, -250],
]


def import_sheets():
    write_xlsx("import-good.xlsx", [("Πελάτες", IMPORT_ROWS)])
    write_xls("import-good.xls", [("Πελάτες", IMPORT_ROWS)])
    convert(path("import-good.xlsx"), path("import-good.ods"))
    lines = [";".join(str(v).replace(".", ",") if isinstance(v, float) else str(v) for v in row) for row in IMPORT_ROWS]
    lines[1] = "000000104" + lines[1][3:]  # a text file keeps its zeros
    write_csv("import-good.csv", "\r\n".join(lines) + "\r\n")


GROUPS = {"xls-formulas": xls_formulas, "hostile": hostile}


def main():
    if len(sys.argv) > 1:
        for group in sys.argv[1:]:
            GROUPS[group]()
        return
    if os.path.isdir(OUT):
        shutil.rmtree(OUT)
    os.makedirs(OUT)
    good = [("Πελάτες", GOOD_ROWS), ("Δεύτερο", SECOND_SHEET)]
    write_xlsx("good.xlsx", good)
    write_xls("good.xls", good)
    convert(path("good.xlsx"), path("good.ods"))
    for stem, rows in (("narrow", NARROW_ROWS), ("a1only", [["094014201"]]), ("unsupported", UNSUPPORTED_ROWS)):
        write_xlsx(stem + ".xlsx", [("Φύλλο", rows)])
        write_xls(stem + ".xls", [("Φύλλο", rows)])
        convert(path(stem + ".xlsx"), path(stem + ".ods"))
    formulas()
    xls_formulas()
    hostile()
    crafted_xlsx()
    one_sheet_xlsx("error.xlsx", '<row r="1"><c r="A1"><v>1</v></c><c r="B1" t="e"><f>1/0</f><v>#DIV/0!</v></c></row>')
    crafted_ods()

    write_csv("good.csv", csv_rows(";"))
    write_csv("good-bom.csv", csv_rows(";"), bom=True)
    write_csv("good-comma.csv", csv_rows(","))
    write_csv("good-1253.csv", csv_rows(";"), encoding="cp1253")
    write_csv("quotes.csv", 'ΟΝΟΜΑ;"ΟΔΟΣ ""ΕΡΜΟΥ""";"α;β"\r\n"δύο\r\nγραμμές";"";τέλος\r\n"ανοιχτό;x')
    write_csv("comma-in-quotes.csv", '"α,β";γ\n1,2\n')
    write_csv("empty.csv", "")

    for kind in ("xls", "xlsx", "ods"):
        with open(path("notworkbook." + kind), "w") as out:
            out.write("Αυτό δεν είναι βιβλίο εργασίας.\n")
        open(path("empty." + kind), "w").close()
    write_zip("zip-without-workbook.xlsx", [("readme.txt", "καμία σχέση")])
    import_sheets()


if __name__ == "__main__":
    sys.exit(main())
