#!/usr/bin/python3
"""Label sheets for a Writer mail merge, and the merge itself, headless.

    labels.py template LAYOUT OUT.odt --face FACE --size PT --column NAME
                       [--caption NAME] [--database NAME] [--table NAME]
    labels.py merge PROFILE TEMPLATE.odt DATA.csv OUT.pdf [--database NAME]

`template` writes a Writer document of labels, LAYOUT letter30 (3 x 10 on US
Letter, 2.625 x 1 inch labels, the common address label) or a4-24 (3 x 8 of
70 x 37 mm on A4).  Each label holds the merge field NAME set in FACE at PT
points, and optionally a line of plain text from the field --caption.  The
fields name the data source --database (TavoMerge) and its table --table
(merge): the CSV file merge.csv in the data source's folder.

`merge` registers DATA.csv's folder as that data source (a text/CSV source,
UTF-8, comma separated, a header row), merges TEMPLATE.odt with it by
Writer's mail merge, as the Mail Merge wizard would, and writes one PDF.
The document is generated rather than kept as a binary file: an .odt is a
zip of XML, and the XML is written here where it can be read and changed.
"""

import argparse
import os
import shutil
import sys
import tempfile
import zipfile
from xml.sax.saxutils import quoteattr

# page (width, height), margins (top, left), label (width, height), columns, rows; in inches or mm
LAYOUTS = {
    # Three across, ten down: 2.625 x 1 in labels, 0.125 in apart, 0.5 in from the top
    # edge and 0.1875 in from the sides.  A cell 2.75 in wide centred on each label.
    "letter30": {"page": ("8.5in", "11in"), "margin": ("0.5in", "0.125in"), "label": ("2.75in", "1in"),
                 "columns": 3, "rows": 10},
    # Three across, eight down, 70 x 37 mm, edge to edge on A4 (210 x 297 mm).
    "a4-24": {"page": ("210mm", "297mm"), "margin": ("0.5mm", "0mm"), "label": ("70mm", "37mm"),
              "columns": 3, "rows": 8},
}

NS = " ".join('xmlns:%s="%s"' % pair for pair in (
    ("office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"),
    ("style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"),
    ("text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"),
    ("table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0"),
    ("fo", "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"),
    ("svg", "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"),
    ("manifest", "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0")))


def _styles(layout, face, size):
    page_w, page_h = layout["page"]
    top, side = layout["margin"]
    return """<office:document-styles %s office:version="1.2">
<office:automatic-styles><style:page-layout style:name="Labels"><style:page-layout-properties
 fo:page-width="%s" fo:page-height="%s" fo:margin-top="%s" fo:margin-bottom="0in"
 fo:margin-left="%s" fo:margin-right="0in" style:print-orientation="portrait"/></style:page-layout>
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="Labels"/></office:master-styles>
</office:document-styles>""" % (NS, page_w, page_h, top, side)


def _content(layout, face, size, column, caption, database, table):
    label_w, label_h = layout["label"]
    field = lambda name: ('<text:database-display text:database-name=%s text:table-name=%s '
                          'text:table-type="table" text:column-name=%s/>'
                          % (quoteattr(database), quoteattr(table), quoteattr(name)))
    cells = []
    for index in range(layout["columns"] * layout["rows"]):
        # Every label after the first moves on to the next record, as Writer's own label sheets do.
        step = ('<text:database-next text:database-name=%s text:table-name=%s text:table-type="table"/>'
                % (quoteattr(database), quoteattr(table))) if index else ""
        body = '<text:p text:style-name="Code">%s%s</text:p>' % (step, field(column))
        if caption:
            body += '<text:p text:style-name="Caption">%s</text:p>' % field(caption)
        cells.append('<table:table-cell table:style-name="Label" office:value-type="string">%s</table:table-cell>'
                     % body)
    rows = "".join('<table:table-row table:style-name="Row">%s</table:table-row>'
                   % "".join(cells[r * layout["columns"]:(r + 1) * layout["columns"]])
                   for r in range(layout["rows"]))
    width = "%g%s" % (float(label_w[:-2]) * layout["columns"], label_w[-2:])
    return """<office:document-content %s office:version="1.2">
<office:font-face-decls><style:font-face style:name=%s svg:font-family=%s/>
<style:font-face style:name="DejaVu Sans" svg:font-family="'DejaVu Sans'"/></office:font-face-decls>
<office:automatic-styles>
<style:style style:name="Sheet" style:family="table"><style:table-properties style:width="%s"
 table:align="left" fo:margin-top="0in"/></style:style>
<style:style style:name="Column" style:family="table-column"><style:table-column-properties
 style:column-width="%s"/></style:style>
<style:style style:name="Row" style:family="table-row"><style:table-row-properties
 style:row-height="%s" fo:keep-together="always"/></style:style>
<style:style style:name="Label" style:family="table-cell"><style:table-cell-properties fo:padding="0in"
 fo:border="none" style:vertical-align="middle"/></style:style>
<style:style style:name="Code" style:family="paragraph"><style:paragraph-properties fo:text-align="center"
 fo:line-height="100%%" fo:margin-top="0in" fo:margin-bottom="0in"/><style:text-properties
 style:font-name=%s fo:font-size="%spt"/></style:style>
<style:style style:name="Caption" style:family="paragraph"><style:paragraph-properties
 fo:text-align="center"/><style:text-properties style:font-name="DejaVu Sans" fo:font-size="6pt"/></style:style>
</office:automatic-styles>
<office:body><office:text><table:table table:name="Labels" table:style-name="Sheet">
<table:table-column table:style-name="Column" table:number-columns-repeated="%d"/>%s</table:table>
</office:text></office:body></office:document-content>""" % (
        NS, quoteattr(face), quoteattr("'%s'" % face), width, label_w, label_h, quoteattr(face), size,
        layout["columns"], rows)


def write_template(path, layout_name, face, size, column, caption=None, database="TavoMerge", table="merge"):
    layout = LAYOUTS[layout_name]
    manifest = """<manifest:manifest %s manifest:version="1.2">
<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>
<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>
</manifest:manifest>""" % NS
    files = [("mimetype", "application/vnd.oasis.opendocument.text"), ("META-INF/manifest.xml", manifest),
             ("styles.xml", _styles(layout, face, size)),
             ("content.xml", _content(layout, face, size, column, caption, database, table))]
    fd, temporary = tempfile.mkstemp(suffix=".odt", dir=os.path.dirname(os.path.abspath(path)))
    try:
        with os.fdopen(fd, "wb") as f, zipfile.ZipFile(f, "w") as z:
            for name, text in files:
                info = zipfile.ZipInfo(name, (2026, 1, 1, 0, 0, 0))
                info.compress_type = zipfile.ZIP_STORED if name == "mimetype" else zipfile.ZIP_DEFLATED
                z.writestr(info, '<?xml version="1.0" encoding="UTF-8"?>\n' + text if name.endswith(".xml")
                           else text)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def register_csv(office, folder, database):
    """The folder's CSV files as the data source `database` (a table each)."""
    from office import props, url
    context = office.create("com.sun.star.sdb.DatabaseContext")
    if context.hasByName(database):
        context.revokeDatabaseLocation(database)
    source = context.createInstance()
    source.URL = "sdbc:flat:" + url(folder)
    source.Info = props(Extension="csv", HeaderLine=True, FieldDelimiter=",", StringDelimiter='"',
                        CharSet="UTF-8", DecimalDelimiter=".", ThousandDelimiter="")
    odb = os.path.join(folder, database + ".odb")
    source.DatabaseDocument.storeAsURL(url(odb), ())
    context.registerDatabaseLocation(database, url(odb))


def merge(office, template, data, out, database="TavoMerge"):
    """Merges `template` with `data` (a CSV file) into the PDF `out`."""
    from office import url
    work = tempfile.mkdtemp(prefix="tavo-merge-", dir=os.path.dirname(os.path.abspath(out)))
    try:
        shutil.copyfile(data, os.path.join(work, "merge.csv"))
        register_csv(office, work, database)
        mm = office.create("com.sun.star.text.MailMerge")
        mm.DocumentURL = url(template)
        mm.DataSourceName = database
        mm.CommandType = 0  # a table
        mm.Command = "merge"
        mm.OutputType = 2  # files
        mm.OutputURL = url(work)
        mm.FileNamePrefix = "labels"
        mm.SaveAsSingleFile = True
        mm.SaveFilter = "writer_pdf_Export"
        mm.execute(())
        made = [name for name in os.listdir(work) if name.endswith(".pdf")]
        if len(made) != 1:
            raise SystemExit("labels: the merge wrote %s, not one PDF" % (made or "nothing"))
        os.replace(os.path.join(work, made[0]), out)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    t = sub.add_parser("template")
    t.add_argument("layout", choices=sorted(LAYOUTS))
    t.add_argument("out")
    t.add_argument("--face", required=True)
    t.add_argument("--size", required=True)
    t.add_argument("--column", required=True)
    t.add_argument("--caption")
    t.add_argument("--database", default="TavoMerge")
    t.add_argument("--table", default="merge")
    m = sub.add_parser("merge")
    m.add_argument("profile")
    m.add_argument("template")
    m.add_argument("data")
    m.add_argument("out")
    m.add_argument("--database", default="TavoMerge")
    args = parser.parse_args()
    if args.command == "template":
        write_template(args.out, args.layout, args.face, args.size, args.column, args.caption, args.database,
                       args.table)
    else:
        from office import Office
        office = Office(args.profile)
        try:
            merge(office, args.template, args.data, args.out, args.database)
        finally:
            office.close()


if __name__ == "__main__":
    main()
