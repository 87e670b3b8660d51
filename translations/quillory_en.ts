<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AddPicture</name>
    <message>
        <source>Die Datei konnte nicht gelesen werden.</source>
        <translation>The file could not be read.</translation>
    </message>
    <message>
        <source>Fehler beim Öffnen von %1!</source>
        <translation>Error opening %1!</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Option --ocr-lang braucht Sprachen: --ocr-lang=deu+eng</source>
        <translation>option --ocr-lang needs languages: --ocr-lang=deu+eng</translation>
    </message>
    <message>
        <source>ungültige Sprachen in %1 (Kürzel der Sprachen mit + verbunden, etwa deu+eng)</source>
        <translation>invalid languages in %1 (language codes joined by +, such as deu+eng)</translation>
    </message>
    <message>
        <source>Option %1 braucht einen Wert</source>
        <translation>option %1 needs a value</translation>
    </message>
    <message>
        <source>unbekannte Option %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>Aufruf: quillory [OPTION...] [--] [BILD...] AUSGABE
   oder: quillory [OPTION...] [--] [BILD|DOKUMENT...]
</source>
        <translation>Usage: quillory [OPTION...] [--] [PICTURE...] OUTPUT
   or: quillory [OPTION...] [--] [PICTURE|DOCUMENT...]
</translation>
    </message>
    <message>
        <source>Ohne Dateien öffnet sich das Programmfenster. Sonst wird jede Datei bis auf die
letzte als Seite hinzugefügt (ein Quillory Dokument mit allen seinen Seiten), und
alle Seiten werden in die letzte Datei geschrieben: als Quillory Dokument, wenn ihr
Name auf .qly endet, sonst als PDF-Datei. Mit nur einer Datei entsteht eine
PDF-Datei mit einer leeren Seite, wenn es die Datei noch nicht gibt oder sie leer
ist. Eine vorhandene Ausgabedatei wird nur ersetzt, wenn sie leer oder eine
PDF-Datei (bei .qly ein Quillory Dokument) und keine der Eingaben ist.
</source>
        <translation>Without files the program window opens. Otherwise every file but the last is
added as a page (a Quillory document with all its pages), and all pages are
written into the last file: as a Quillory document if its name ends in .qly,
else as a PDF file. With only one file, a PDF file with one empty page is made
if the file does not exist yet or is empty. An existing output file is only
replaced if it is empty or a PDF file (for .qly a Quillory document) and none
of the inputs.
</translation>
    </message>
    <message>
        <source>Mit Bildschirm: Sind alle Dateien vorhandene Bilder oder Quillory Dokumente, öffnet
das Fenster sie als Seiten, und nichts wird geschrieben. Ohne Bildschirm läuft die
Umwandlung ohne Fenster, und die Meldungen gehen auf die Standardfehlerausgabe.
</source>
        <translation>With a display: if all files are existing pictures or Quillory documents, the
window opens them as pages, and nothing is written. Without a display the
conversion runs without a window, and the messages go to standard error.
</translation>
    </message>
    <message>
        <source>Optionen:
  -h, --help     diese Hilfe anzeigen und beenden
      --version  die Version anzeigen und beenden
      --ocr      den Text jeder Seite erkennen und unsichtbar über das Bild
                 legen (durchsuchbare PDF-Datei), auch wenn die Einstellungen
                 es nicht vorsehen
      --ocr-lang=SPRACHEN
                 wie --ocr, in diesen Sprachen: Kürzel von Tesseract mit +
                 verbunden (Vorgabe deu+eng); je Sprache wird das Paket
                 tesseract-ocr-SPRACHE gebraucht
  --             Ende der Optionen: jedes weitere Argument ist eine Datei
Die Optionen von Qt (-style, -platform, ...) gelten für das Fenster.
</source>
        <translation>Options:
  -h, --help     show this help and exit
      --version  show the version and exit
      --ocr      recognize the text of every page and lay it invisibly over the
                 picture (searchable PDF file), even if the settings do not
                 ask for it
      --ocr-lang=LANGUAGES
                 like --ocr, in these languages: Tesseract codes joined by +
                 (default deu+eng); each language needs the package
                 tesseract-ocr-LANGUAGE
  --             end of the options: every further argument is a file
The options of Qt (-style, -platform, ...) apply to the window.
</translation>
    </message>
    <message>
        <source>Einstellungen: $XDG_CONFIG_HOME/quillory.ini (sonst ~/.config/quillory.ini)
</source>
        <translation>Settings: $XDG_CONFIG_HOME/quillory.ini (else ~/.config/quillory.ini)
</translation>
    </message>
    <message>
        <source>Rückgabewert: 0, wenn alle Bilder hinzugefügt und die Ausgabe geschrieben wurde;
1, wenn ein Bild nicht gelesen oder die Ausgabe nicht geschrieben werden konnte;
2 bei einem falschen Aufruf.
</source>
        <translation>Exit status: 0 if every picture was added and the output written;
1 if a picture could not be read or the output could not be written;
2 for a wrong call.
</translation>
    </message>
</context>
<context>
    <name>Conversion</name>
    <message>
        <source>Die Ausgabedatei %1 ist zugleich eine Eingabedatei und wird nicht überschrieben.</source>
        <translation>The output file %1 is also an input file and is not overwritten.</translation>
    </message>
    <message>
        <source>Es ist keine Eingabedatei angegeben: die Datei %1 würde durch eine leere ersetzt und wird nicht überschrieben.</source>
        <translation>No input file is given: the file %1 would be replaced by an empty one and is not overwritten.</translation>
    </message>
    <message>
        <source>Die Ausgabedatei %1 ist kein Quillory Dokument und wird nicht überschrieben.</source>
        <translation>The output file %1 is not a Quillory document and is not overwritten.</translation>
    </message>
    <message>
        <source>Die Ausgabedatei %1 ist keine PDF-Datei und wird nicht überschrieben.</source>
        <translation>The output file %1 is not a PDF file and is not overwritten.</translation>
    </message>
    <message>
        <source>Fehler beim Öffnen von %1!</source>
        <translation>Error opening %1!</translation>
    </message>
    <message>
        <source>Fehler: Konnte Datei nicht öffnen...</source>
        <translation>Error: could not open the file...</translation>
    </message>
    <message>
        <source>Fehler: Die Datei ist keine gültige Varnholme Datei...</source>
        <translation>Error: the file is not a valid Varnholme file...</translation>
    </message>
    <message>
        <source>Fehler: Konnte Datei nicht erstellen...</source>
        <translation>Error: could not create the file...</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher.</source>
        <translation>Not enough memory.</translation>
    </message>
</context>
<context>
    <name>CreateThePDF</name>
    <message>
        <source>Konnte PDF-Datei nicht erstellen!</source>
        <translation>Could not create the PDF file!</translation>
    </message>
    <message>
        <source>Die Ränder lassen keinen Platz für die Bilder: %1 Seite(n) blieben leer.</source>
        <translation>The margins leave no room for the pictures: %1 page(s) were left blank.</translation>
    </message>
    <message>
        <source>Auf %1 Seite(n) ließ sich kein Text erkennen; sie enthalten nur ihr Bild.</source>
        <translation>No text could be recognized on %1 page(s); they contain only their picture.</translation>
    </message>
    <message>
        <source>%1 Bild(er) ohne Bildpunkte wurden übersprungen.</source>
        <translation>%1 picture(s) without pixels were skipped.</translation>
    </message>
</context>
<context>
    <name>ImageFormats</name>
    <message>
        <source>Unbekanntes Dateiformat</source>
        <translation>Unknown file format</translation>
    </message>
    <message>
        <source>Datei ist beschädigt</source>
        <translation>File is damaged</translation>
    </message>
    <message>
        <source>Bild ist zu groß</source>
        <translation>Picture is too large</translation>
    </message>
    <message>
        <source>Bild hat keine Pixel</source>
        <translation>Picture has no pixels</translation>
    </message>
    <message>
        <source>Datei kann nicht geöffnet werden</source>
        <translation>File cannot be opened</translation>
    </message>
    <message>
        <source>Datei kann nicht geschrieben werden</source>
        <translation>File cannot be written</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher</source>
        <translation>Not enough memory</translation>
    </message>
    <message>
        <source>Nicht unterstützte Bildvariante</source>
        <translation>Unsupported picture variant</translation>
    </message>
    <message>
        <source>Format kann nicht geschrieben werden</source>
        <translation>Format cannot be written</translation>
    </message>
    <message>
        <source>Farbtiefe wird nicht unterstützt</source>
        <translation>Color depth is not supported</translation>
    </message>
    <message>
        <source>Windows Bitmap</source>
        <translation>Windows Bitmap</translation>
    </message>
    <message>
        <source>Device Independent Bitmap</source>
        <translation>Device Independent Bitmap</translation>
    </message>
    <message>
        <source>CompuServe GIF</source>
        <translation>CompuServe GIF</translation>
    </message>
    <message>
        <source>Amiga IFF</source>
        <translation>Amiga IFF</translation>
    </message>
    <message>
        <source>JPEG JFIF</source>
        <translation>JPEG JFIF</translation>
    </message>
    <message>
        <source>JPEG</source>
        <translation>JPEG</translation>
    </message>
    <message>
        <source>Deluxe Paint LBM</source>
        <translation>Deluxe Paint LBM</translation>
    </message>
    <message>
        <source>ZSoft PCX</source>
        <translation>ZSoft PCX</translation>
    </message>
    <message>
        <source>Windows Bitmap RLE</source>
        <translation>Windows Bitmap RLE</translation>
    </message>
    <message>
        <source>Truevision TGA</source>
        <translation>Truevision TGA</translation>
    </message>
    <message>
        <source>TIFF</source>
        <translation>TIFF</translation>
    </message>
    <message>
        <source>JPEG 2000</source>
        <translation>JPEG 2000</translation>
    </message>
    <message>
        <source>Portable Network Graphics</source>
        <translation>Portable Network Graphics</translation>
    </message>
    <message>
        <source>Portable Anymap</source>
        <translation>Portable Anymap</translation>
    </message>
    <message>
        <source>WebP</source>
        <translation>WebP</translation>
    </message>
    <message>
        <source>JPEG 2000 Codestream</source>
        <translation>JPEG 2000 Codestream</translation>
    </message>
    <message>
        <source>Alle Bilder (%1)</source>
        <translation>All pictures (%1)</translation>
    </message>
    <message>
        <source>Alle Dateien (*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>Der Scanner hat kein Bild geliefert.</source>
        <translation>The scanner delivered no picture.</translation>
    </message>
    <message>
        <source>Der Scanner hat nicht alle Farbauszüge geliefert.</source>
        <translation>The scanner did not deliver all color channels.</translation>
    </message>
</context>
<context>
    <name>PageDocument</name>
    <message>
        <source>Seite nicht gesichert</source>
        <translation>Page not backed up</translation>
    </message>
    <message>
        <source>%1
Die Seite bleibt im Arbeitsspeicher, ist aber bei einem Absturz nicht geschützt.</source>
        <translation>%1
The page stays in memory but is not protected against a crash.</translation>
    </message>
    <message>
        <source>Wenig Platz für Seiten</source>
        <translation>Little room for pages</translation>
    </message>
    <message>
        <source>Im Ordner %1 ist nur noch Platz für %2 weitere Seiten dieser Größe (%3 MB frei).</source>
        <translation>The folder %1 only has room for %2 more pages of this size (%3 MB free).</translation>
    </message>
    <message>
        <source>Nach vorne</source>
        <translation>Move forward</translation>
    </message>
    <message>
        <source>Nach hinten</source>
        <translation>Move back</translation>
    </message>
    <message>
        <source>Verschränken</source>
        <translation>Interleave</translation>
    </message>
    <message>
        <source>Neu</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Seitenliste nicht gesichert</source>
        <translation>Page list not backed up</translation>
    </message>
    <message>
        <source>Die Seiten im Ordner %1 können nicht auf den Datenträger geschrieben werden.</source>
        <translation>The pages in the folder %1 cannot be written to disk.</translation>
    </message>
    <message>
        <source>Hinzufügen</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Drehen</source>
        <translation>Turn</translation>
    </message>
    <message>
        <source>Löschen</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Verschieben</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>Öffnen</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Bilder hinzufügen</source>
        <translation>Add pictures</translation>
    </message>
    <message>
        <source>Markierte löschen</source>
        <translation>Delete marked</translation>
    </message>
    <message>
        <source>Leere Seite einfügen</source>
        <translation>Insert blank page</translation>
    </message>
</context>
<context>
    <name>PageStore</name>
    <message>
        <source>Die Seitenliste kann nicht im Ordner %1 gesichert werden (%2).</source>
        <translation>The page list cannot be saved in the folder %1 (%2).</translation>
    </message>
    <message>
        <source>Die Seitendatei %1 fehlt.</source>
        <translation>The page file %1 is missing.</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher für weitere Seiten.</source>
        <translation>Not enough memory for more pages.</translation>
    </message>
    <message>
        <source>Auf dem Datenträger ist kein Platz mehr frei.</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>Das Speicherkontingent des Benutzers ist erschöpft.</source>
        <translation>The user&apos;s disk quota is used up.</translation>
    </message>
    <message>
        <source>Die Datei würde zu groß.</source>
        <translation>The file would become too large.</translation>
    </message>
    <message>
        <source>Der Ordner darf nicht beschrieben werden.</source>
        <translation>Writing to the folder is not permitted.</translation>
    </message>
    <message>
        <source>Der Ordner für die Seiten kann nicht angelegt werden: %1 (%2)</source>
        <translation>The folder for the pages cannot be created: %1 (%2)</translation>
    </message>
    <message>
        <source>Der Ordner für die Seiten kann nicht gesperrt werden: %1 (%2)</source>
        <translation>The folder for the pages cannot be locked: %1 (%2)</translation>
    </message>
    <message>
        <source>Die Seitendatei %1 kann nicht eingeblendet werden (%2)</source>
        <translation>The page file %1 cannot be mapped into memory (%2)</translation>
    </message>
    <message>
        <source>Die Seite kann nicht im Ordner %1 abgelegt werden: %2</source>
        <translation>The page cannot be stored in the folder %1: %2</translation>
    </message>
    <message>
        <source>Die Seite kann nicht im Ordner %1 abgelegt werden: %2 Benötigt werden %3 MB.</source>
        <translation>The page cannot be stored in the folder %1: %2 %3 MB are needed.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist keine Seitendatei.</source>
        <translation>The file %1 is not a page file.</translation>
    </message>
    <message>
        <source>Die Seitendatei %1 ist unvollständig oder beschädigt.</source>
        <translation>The page file %1 is incomplete or damaged.</translation>
    </message>
</context>
<context>
    <name>PdfWriter</name>
    <message>
        <source>Fehler: nicht genug Speicher für diese Operation!</source>
        <translation>Error: not enough memory for this operation!</translation>
    </message>
</context>
<context>
    <name>SaneScanBackend</name>
    <message>
        <source>Es wurde kein Scanner gefunden. Bitte prüfen Sie, ob der Scanner angeschlossen und eingeschaltet ist.</source>
        <translation>No scanner was found. Please check that the scanner is connected and switched on.</translation>
    </message>
    <message>
        <source>Der Scanner &quot;%1&quot; kann nicht geöffnet werden. %2</source>
        <translation>The scanner &quot;%1&quot; cannot be opened. %2</translation>
    </message>
    <message>
        <source>Es ist kein Scanner geöffnet.</source>
        <translation>No scanner is open.</translation>
    </message>
</context>
<context>
    <name>SavePicture</name>
    <message>
        <source>Die Datei konnte nicht geschrieben werden.</source>
        <translation>The file could not be written.</translation>
    </message>
    <message>
        <source>Fehler beim Speichern von %1!</source>
        <translation>Error saving %1!</translation>
    </message>
</context>
<context>
    <name>ScanSession</name>
    <message>
        <source>%1
Die zuvor gescannte Seite wurde übernommen.</source>
        <translation>%1
The page scanned before has been kept.</translation>
    </message>
    <message>
        <source>%1
Die %2 zuvor gescannten Seiten wurden übernommen.</source>
        <translation>%1
The %2 pages scanned before have been kept.</translation>
    </message>
</context>
<context>
    <name>Scanner</name>
    <message>
        <source>Der Scanvorgang wurde abgebrochen.</source>
        <translation>The scan was cancelled.</translation>
    </message>
    <message>
        <source>Der Scanner ist belegt.</source>
        <translation>The scanner is busy.</translation>
    </message>
    <message>
        <source>Papierstau im Vorlageneinzug.</source>
        <translation>Paper jam in the document feeder.</translation>
    </message>
    <message>
        <source>Der Vorlageneinzug ist leer.</source>
        <translation>The document feeder is empty.</translation>
    </message>
    <message>
        <source>Die Abdeckung des Scanners ist offen.</source>
        <translation>The scanner&apos;s cover is open.</translation>
    </message>
    <message>
        <source>Fehler bei der Verbindung zum Scanner.</source>
        <translation>Error communicating with the scanner.</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher zum Scannen.</source>
        <translation>Not enough memory to scan.</translation>
    </message>
    <message>
        <source>Der Zugriff auf den Scanner wurde verweigert.</source>
        <translation>Access to the scanner was denied.</translation>
    </message>
    <message>
        <source>Der Scanner meldet einen Fehler: %1</source>
        <translation>The scanner reports an error: %1</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Die Einstellungsdatei %1 kann nicht gelesen oder geschrieben werden.</source>
        <translation>The settings file %1 cannot be read or written.</translation>
    </message>
    <message>
        <source>Die Einstellungsdatei %1 ist beschädigt; es gelten die Voreinstellungen.</source>
        <translation>The settings file %1 is damaged; the default settings apply.</translation>
    </message>
    <message>
        <source>In der Einstellungsdatei %1 sind Werte unlesbar:</source>
        <translation>Unreadable values in the settings file %1:</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>Info</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Version 1.7</source>
        <translation>Version 1.7</translation>
    </message>
    <message>
        <source>Copyright © 2006-XXXX Torvand</source>
        <translation>Copyright © 2006-XXXX Torvand</translation>
    </message>
    <message>
        <source>Papierdokumente scannen und als PDF-Datei speichern.</source>
        <translation>Scan paper documents and save them as a PDF file.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>&amp;Neu</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>Neues Dokument</source>
        <translation>New document</translation>
    </message>
    <message>
        <source>Ö&amp;ffnen...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>Dokument öffnen...</source>
        <translation>Open document...</translation>
    </message>
    <message>
        <source>&amp;Speichern unter...</source>
        <translation>Save &amp;as...</translation>
    </message>
    <message>
        <source>Dokument speichern unter...</source>
        <translation>Save document as...</translation>
    </message>
    <message>
        <source>&amp;Rückgängig</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>Nichts rückgängig zu machen</source>
        <translation>Nothing to undo</translation>
    </message>
    <message>
        <source>&amp;Wiederholen</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>Nichts zu wiederholen</source>
        <translation>Nothing to redo</translation>
    </message>
    <message>
        <source>Dokumente scannen</source>
        <translation>Scan documents</translation>
    </message>
    <message>
        <source>Sortieren</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>PDF-Datei erzeugen</source>
        <translation>Create PDF file</translation>
    </message>
    <message>
        <source>Auf zur Torvand Homepage...</source>
        <translation>Visit the Torvand homepage...</translation>
    </message>
    <message>
        <source>Über...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Ende</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Nach links drehen</source>
        <translation>Turn left</translation>
    </message>
    <message>
        <source>Nach rechts drehen</source>
        <translation>Turn right</translation>
    </message>
    <message>
        <source>Löschen</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Alle auswählen</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>Leere Seite einfügen</source>
        <translation>Insert blank page</translation>
    </message>
    <message>
        <source>Leere Seiten markieren</source>
        <translation>Mark blank pages</translation>
    </message>
    <message>
        <source>Als leer gelten Seiten, auf denen außerhalb des Randes höchstens dieser Anteil der Fläche beschrieben ist (in Zehntausendsteln):</source>
        <translation>A page counts as blank when at most this share of its area outside the margin is written on (in ten-thousandths):</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>PDF-Datei speichern...</source>
        <translation>Save PDF file...</translation>
    </message>
    <message>
        <source>PDF-Datei speichern, jedes Bild eine PDF Datei...</source>
        <translation>Save PDF files, one PDF file per picture...</translation>
    </message>
    <message>
        <source>PDF-Datei nach dem Erzeugen anzeigen</source>
        <translation>Show the PDF file once it is created</translation>
    </message>
    <message>
        <source>JPEG 2000 Kompression verwenden (ab Acrobat Reader 6)</source>
        <translation>Use JPEG 2000 compression (Acrobat Reader 6 or later)</translation>
    </message>
    <message>
        <source>JPEG-Kompression (100=beste Qualität; 1=beste Kompression):</source>
        <translation>JPEG compression (100 = best quality; 1 = best compression):</translation>
    </message>
    <message>
        <source>JPEG 2000-Kompression (Dateigröße in % gegenüber Original):</source>
        <translation>JPEG 2000 compression (file size in % of the original):</translation>
    </message>
    <message>
        <source>Die JPEG 2000 Kompression ist im Vergleich zur JPEG Kompression sehr langsam beim Abspeichern, erzeugt aber bei gleicher Qualität kleinere Dateien.</source>
        <translation>JPEG 2000 compression is very slow to save compared with JPEG compression, but makes smaller files at the same quality.</translation>
    </message>
    <message>
        <source>Text erkennen (durchsuchbare PDF-Datei)</source>
        <translation>Recognize text (searchable PDF file)</translation>
    </message>
    <message>
        <source>Erkennt den Text jeder Seite und legt ihn unsichtbar über das Bild, damit die PDF-Datei durchsucht und Text kopiert werden kann</source>
        <translation>Recognizes the text of every page and lays it invisibly over the picture, so that the PDF file can be searched and its text copied</translation>
    </message>
    <message>
        <source>Sprachen der Texterkennung, mit + verbunden (deu+eng); für jede Sprache muss das Paket tesseract-ocr-&lt;Sprache&gt; installiert sein</source>
        <translation>Languages of the text recognition, joined by + (deu+eng); each language needs its package tesseract-ocr-&lt;language&gt; installed</translation>
    </message>
    <message>
        <source>Sprachen:</source>
        <translation>Languages:</translation>
    </message>
    <message>
        <source>PDF-Datei erzeugen - Hier können Sie nun die PDF-Datei erzeugen</source>
        <translation>Create PDF file - here you can now create the PDF file</translation>
    </message>
    <message>
        <source>Scanner auswählen...</source>
        <translation>Select scanner...</translation>
    </message>
    <message>
        <source>Scannen...</source>
        <translation>Scan...</translation>
    </message>
    <message>
        <source>Bilder hinzufügen...</source>
        <translation>Add pictures...</translation>
    </message>
    <message>
        <source>Bild Löschen</source>
        <translation>Delete picture</translation>
    </message>
    <message>
        <source>Bild speichern...</source>
        <translation>Save picture...</translation>
    </message>
    <message>
        <source>Seite Nr:</source>
        <translation>Page no.:</translation>
    </message>
    <message>
        <source>Zoom:</source>
        <translation>Zoom:</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>Nach links rotieren</source>
        <translation>Rotate left</translation>
    </message>
    <message>
        <source>Nach rechts rotieren</source>
        <translation>Rotate right</translation>
    </message>
    <message>
        <source>Dokumente scannen - Hier können Sie die Papierdokumente scannen oder Bilder hinzufügen</source>
        <translation>Scan documents - here you can scan your paper documents or add pictures</translation>
    </message>
    <message>
        <source>Ränder aktivieren</source>
        <translation>Use margins</translation>
    </message>
    <message>
        <source>Bilder zentrieren</source>
        <translation>Center pictures</translation>
    </message>
    <message>
        <source>Maximale Bildgröße</source>
        <translation>Maximum picture size</translation>
    </message>
    <message>
        <source>Größe relativ zu größtem Bild</source>
        <translation>Size relative to the largest picture</translation>
    </message>
    <message>
        <source>Papierbreite:</source>
        <translation>Paper width:</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>Papierhöhe:</source>
        <translation>Paper height:</translation>
    </message>
    <message>
        <source>Rand links/rechts</source>
        <translation>Margin left/right</translation>
    </message>
    <message>
        <source>Rand oben/unten</source>
        <translation>Margin top/bottom</translation>
    </message>
    <message>
        <source>Papierhöhe an gescanntes Bild anpassen</source>
        <translation>Fit the paper height to the scanned picture</translation>
    </message>
    <message>
        <source>Papierbreite auch an gescanntes Bild anpassen:</source>
        <translation>Fit the paper width to the scanned picture too:</translation>
    </message>
    <message>
        <source>Scanauflösung:</source>
        <translation>Scan resolution:</translation>
    </message>
    <message>
        <source>DPI</source>
        <translation>DPI</translation>
    </message>
    <message>
        <source>Scanner-Dialog nach einem Bild automatisch schließen</source>
        <translation>Close the scanner dialog after one picture</translation>
    </message>
    <message>
        <source>Benutze WIA Scanner Schnittstelle anstatt der TWAIN Schnittstelle</source>
        <translation>Use the WIA scanner interface instead of the TWAIN interface</translation>
    </message>
    <message>
        <source>Einstellungen - hier können Sie die Papiergröße festlegen und die Anordnung der Bilder bestimmen</source>
        <translation>Settings - here you can set the paper size and decide how the pictures are arranged</translation>
    </message>
    <message>
        <source>Nach vorne</source>
        <translation>Move forward</translation>
    </message>
    <message>
        <source>Verschiebt das Bild in der Reihenfolge</source>
        <translation>Moves the picture within the order</translation>
    </message>
    <message>
        <source>Nach hinten</source>
        <translation>Move back</translation>
    </message>
    <message>
        <source>Bild &amp;löschen</source>
        <translation>&amp;Delete picture</translation>
    </message>
    <message>
        <source>Vorderseiten und Rückseiten verschränken...</source>
        <translation>Interleave front and back sides...</translation>
    </message>
    <message>
        <source>Leere Seiten markieren...</source>
        <translation>Mark blank pages...</translation>
    </message>
    <message>
        <source>Markiert die Seiten, die leer aussehen</source>
        <translation>Marks the pages that look blank</translation>
    </message>
    <message>
        <source>Markierte löschen</source>
        <translation>Delete marked</translation>
    </message>
    <message>
        <source>Löscht die markierten Seiten</source>
        <translation>Deletes the marked pages</translation>
    </message>
    <message>
        <source>Fügt vor der aktuellen Seite eine weiße Seite ein</source>
        <translation>Inserts a white page before the current page</translation>
    </message>
    <message>
        <source>Seiten sortieren - hier können Sie die Reihenfolge der Seiten anpassen</source>
        <translation>Sort pages - here you can change the order of the pages</translation>
    </message>
    <message>
        <source>Quillory Dokumente (*.qly)|*.qly</source>
        <translation>Quillory documents (*.qly)|*.qly</translation>
    </message>
    <message>
        <source>Datei/Neu</source>
        <translation>File/New</translation>
    </message>
    <message>
        <source>Achtung: Alle Bilder werden nun entfernt. Alle Bilder, die noch nicht abgespeichert sind, gehen verloren!</source>
        <translation>Attention: all pictures will now be removed. Every picture not saved yet will be lost!</translation>
    </message>
    <message>
        <source>Datei|Öffnen</source>
        <translation>File|Open</translation>
    </message>
    <message>
        <source>Alle nicht gespeicherten Einstellungen gehen verloren.</source>
        <translation>All settings not saved will be lost.</translation>
    </message>
    <message>
        <source>Torvand Quillory 1.7</source>
        <translation>Torvand Quillory 1.7</translation>
    </message>
    <message>
        <source>Die Seiten können nicht in Dateien gesichert werden und bleiben im Arbeitsspeicher: %1</source>
        <translation>The pages cannot be kept in files and stay in memory: %1</translation>
    </message>
    <message>
        <source>dd.MM.yyyy</source>
        <comment>date of the session in the recovery</comment>
        <translation>MMMM d, yyyy</translation>
    </message>
    <message>
        <source>HH:mm</source>
        <comment>time of the session in the recovery</comment>
        <translation>HH:mm</translation>
    </message>
    <message>
        <source>

Die Liste der Seiten ist beschädigt: die Seiten kommen in der Reihenfolge zurück, in der sie aufgenommen wurden.</source>
        <translation>

The list of the pages is damaged: the pages come back in the order in which they were taken in.</translation>
    </message>
    <message>
        <source>

Ja: die Seiten wiederherstellen
Nein: die Seiten endgültig löschen
Abbrechen: beim nächsten Start wieder fragen</source>
        <translation>

Yes: restore the pages
No: delete the pages for good
Cancel: ask again at the next start</translation>
    </message>
    <message>
        <source>Seiten wiederherstellen</source>
        <translation>Restore pages</translation>
    </message>
    <message>
        <source>Nicht alle Seiten konnten wiederhergestellt werden:</source>
        <translation>Not all pages could be restored:</translation>
    </message>
    <message>
        <source>Programm beenden</source>
        <translation>Exit program</translation>
    </message>
    <message>
        <source>Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!</source>
        <translation>This ends the program! All data not saved will be lost!</translation>
    </message>
    <message>
        <source>von %1</source>
        <translation>of %1</translation>
    </message>
    <message>
        <source>Bild löschen</source>
        <translation>Delete picture</translation>
    </message>
    <message>
        <source>Wollen Sie das aktuelle Bild tatsächlich unwiderruflich aus dem Dokument löschen?</source>
        <translation>Do you really want to delete the current picture from the document for good?</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher, um die Seiten zu verschränken.</source>
        <translation>Not enough memory to interleave the pages.</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher.</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>PDF-Dateien (*.pdf)|*.pdf</source>
        <translation>PDF files (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>Rückgängig: %1 (Strg+Z)</source>
        <translation>Undo: %1 (Ctrl+Z)</translation>
    </message>
    <message>
        <source>Wiederholen: %1 (Strg+Umschalt+Z)</source>
        <translation>Redo: %1 (Ctrl+Shift+Z)</translation>
    </message>
    <message>
        <source>Seiten löschen</source>
        <translation>Delete pages</translation>
    </message>
    <message>
        <source>Wollen Sie die %1 ausgewählten Seiten aus dem Dokument löschen?</source>
        <translation>Do you want to delete the %1 selected pages from the document?</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher, um alle Seiten zu drehen.</source>
        <translation>Not enough memory to turn all the pages.</translation>
    </message>
    <message>
        <source>%1 leere Seite markiert</source>
        <translation>%1 blank page marked</translation>
    </message>
    <message>
        <source>%1 leere Seiten markiert</source>
        <translation>%1 blank pages marked</translation>
    </message>
    <message>
        <source>Markierte Seiten löschen</source>
        <translation>Delete marked pages</translation>
    </message>
    <message>
        <source>Wollen Sie die %1 markierten Seiten aus dem Dokument löschen?</source>
        <translation>Do you want to delete the %1 marked pages from the document?</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher für eine leere Seite.</source>
        <translation>Not enough memory for a blank page.</translation>
    </message>
    <message>
        <source>dd</source>
        <comment>caption of the message when a scanned image cannot be loaded</comment>
        <translation>Scan</translation>
    </message>
    <message>
        <source>Could not load image: %1</source>
        <translation>Could not load image: %1</translation>
    </message>
    <message>
        <source>Quillory wurde nicht ordnungsgemäß beendet. Von der Sitzung, die zuletzt am %1 um %2 Uhr geändert wurde, sind noch 1 Seite vorhanden.</source>
        <translation>Quillory did not end properly. The session last changed on %1 at %2 still has 1 page.</translation>
    </message>
    <message>
        <source>Quillory wurde nicht ordnungsgemäß beendet. Von der Sitzung, die zuletzt am %1 um %2 Uhr geändert wurde, sind noch %3 Seiten vorhanden.</source>
        <translation>Quillory did not end properly. The session last changed on %1 at %2 still has %3 pages.</translation>
    </message>
</context>
<context>
    <name>TPageView</name>
    <message>
        <source>Seitenansicht</source>
        <translation>Page view</translation>
    </message>
</context>
<context>
    <name>TPrintForm</name>
    <message>
        <source>Drucker einrichten</source>
        <translation>Printer setup</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Ausgabe in Datei: %1</source>
        <translation>Print to file: %1</translation>
    </message>
    <message>
        <source>Drucker: keiner eingerichtet</source>
        <translation>Printer: none set up</translation>
    </message>
    <message>
        <source>Drucker: %1</source>
        <translation>Printer: %1</translation>
    </message>
    <message>
        <source>Bild drucken...</source>
        <translation>Print picture</translation>
    </message>
    <message>
        <source>Vorschau:</source>
        <translation>Preview:</translation>
    </message>
    <message>
        <source>Druckgröße</source>
        <translation>Print size</translation>
    </message>
    <message>
        <source>Seite voll nutzen</source>
        <translation>Fill the page</translation>
    </message>
    <message>
        <source>Benutzerdefiniert</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>Breite in %:</source>
        <translation>Width in %:</translation>
    </message>
    <message>
        <source>Höhe in %:</source>
        <translation>Height in %:</translation>
    </message>
    <message>
        <source>Druckoptionen</source>
        <translation>Print options</translation>
    </message>
    <message>
        <source>Seitenverhältnis beibehalten</source>
        <translation>Keep aspect ratio</translation>
    </message>
    <message>
        <source>Zentrierte Ausgabe</source>
        <translation>Center on page</translation>
    </message>
    <message>
        <source>Drucker &amp;einrichten...</source>
        <translation>Printer &amp;setup...</translation>
    </message>
    <message>
        <source>A&amp;bbrechen</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>Varnholme Bild</source>
        <translation>Varnholme picture</translation>
    </message>
    <message>
        <source>Der Drucker konnte den Druckauftrag nicht beginnen.</source>
        <translation>The printer could not start the print job.</translation>
    </message>
</context>
<context>
    <name>TScanDialog</name>
    <message>
        <source>Scannen</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>Beidseitig scannen (Duplex)</source>
        <translation>Scan both sides (duplex)</translation>
    </message>
    <message>
        <source>Scanner:</source>
        <translation>Scanner:</translation>
    </message>
    <message>
        <source>Quelle:</source>
        <translation>Source:</translation>
    </message>
    <message>
        <source>Modus:</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>Farbtiefe:</source>
        <translation>Bit depth:</translation>
    </message>
    <message>
        <source>Auflösung:</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>Papierformat:</source>
        <translation>Paper size:</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Seite %1 wird gescannt...</source>
        <translation>Scanning page %1...</translation>
    </message>
    <message>
        <source>Scannen - %1</source>
        <translation>Scan - %1</translation>
    </message>
    <message>
        <source>%1 Bit</source>
        <translation>%1 bit</translation>
    </message>
    <message>
        <source>%1 dpi</source>
        <translation>%1 dpi</translation>
    </message>
    <message>
        <source>Verbindung zum Scanner wird hergestellt...</source>
        <translation>Connecting to the scanner...</translation>
    </message>
    <message>
        <source>1 Seite gescannt.</source>
        <translation>1 page scanned.</translation>
    </message>
    <message>
        <source>%1 Seiten gescannt.</source>
        <translation>%1 pages scanned.</translation>
    </message>
    <message>
        <source>Bereit.</source>
        <translation>Ready.</translation>
    </message>
    <message>
        <source>Der Scanvorgang wird abgebrochen...</source>
        <translation>Cancelling the scan...</translation>
    </message>
    <message>
        <source>Farbe</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Graustufen</source>
        <translation>Grayscale</translation>
    </message>
    <message>
        <source>Schwarzweiß</source>
        <translation>Black and white</translation>
    </message>
    <message>
        <source>Raster</source>
        <translation>Halftone</translation>
    </message>
    <message>
        <source>Flachbett</source>
        <translation>Flatbed</translation>
    </message>
    <message>
        <source>Vorlageneinzug</source>
        <translation>Document feeder</translation>
    </message>
    <message>
        <source>Vorlageneinzug (Vorderseite)</source>
        <translation>Document feeder (front)</translation>
    </message>
    <message>
        <source>Vorlageneinzug (Rückseite)</source>
        <translation>Document feeder (back)</translation>
    </message>
    <message>
        <source>Vorlageneinzug (beidseitig)</source>
        <translation>Document feeder (both sides)</translation>
    </message>
    <message>
        <source>Durchlichtaufsatz</source>
        <translation>Transparency adapter</translation>
    </message>
    <message>
        <source>Ganze Fläche (%1 x %2 mm)</source>
        <translation>Full area (%1 x %2 mm)</translation>
    </message>
</context>
<context>
    <name>TSelectScannerDialog</name>
    <message>
        <source>Scanner auswählen</source>
        <translation>Select scanner</translation>
    </message>
    <message>
        <source>Scanner werden gesucht...</source>
        <translation>Looking for scanners...</translation>
    </message>
    <message>
        <source>Auswählen</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Es wurde kein Scanner gefunden. Bitte prüfen Sie, ob der Scanner angeschlossen und eingeschaltet ist.</source>
        <translation>No scanner was found. Please check that the scanner is connected and switched on.</translation>
    </message>
    <message>
        <source>Bitte wählen Sie den Scanner aus:</source>
        <translation>Please select the scanner:</translation>
    </message>
</context>
<context>
    <name>TSortView</name>
    <message>
        <source>Seitenübersicht</source>
        <translation>Page overview</translation>
    </message>
    <message>
        <source>Keine Seiten</source>
        <translation>No pages</translation>
    </message>
    <message>
        <source>Seite %1 von %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>Keine Seite ausgewählt, 1 Seite</source>
        <translation>No page selected, 1 page</translation>
    </message>
    <message>
        <source>Keine Seite ausgewählt, %1 Seiten</source>
        <translation>No page selected, %1 pages</translation>
    </message>
    <message>
        <source>Thumbnail: %1 von %2</source>
        <translation>Thumbnail: %1 of %2</translation>
    </message>
    <message>
        <source>Bild: keins   </source>
        <translation>Picture: none   </translation>
    </message>
</context>
<context>
    <name>TVerschrankForm</name>
    <message>
        <source>Seiten verschränken</source>
        <translation>Interleave pages</translation>
    </message>
    <message>
        <source>Seitennummer der ersten Rückseite:</source>
        <translation>Page number of the first back side:</translation>
    </message>
    <message>
        <source>Rückseiten in umgekehrter Reihenfolge</source>
        <translation>Back sides in reverse order</translation>
    </message>
    <message>
        <source>Rückseiten in gleicher Reihenfolge</source>
        <translation>Back sides in the same order</translation>
    </message>
    <message>
        <source>Vorderseiten umgekehrt</source>
        <translation>Front sides reversed</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Keine Seiten.</source>
        <translation>No pages.</translation>
    </message>
    <message>
        <source>Neue Reihenfolge:</source>
        <translation>New order:</translation>
    </message>
</context>
<context>
    <name>TViewPicForm</name>
    <message>
        <source>Bild betrachten...</source>
        <translation>View picture</translation>
    </message>
    <message>
        <source>Zurück...</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>&amp;Drucken</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>Zoom:</source>
        <translation>Zoom:</translation>
    </message>
</context>
<context>
    <name>TWiaAcquireDialog</name>
    <message>
        <source>Bild scannen</source>
        <translation>Scan picture</translation>
    </message>
    <message>
        <source>Verbindung zum Scanner wird hergestellt...</source>
        <translation>Connecting to the scanner...</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Bild wird gescannt (%1)...</source>
        <translation>Scanning picture (%1)...</translation>
    </message>
    <message>
        <source>Der Scanvorgang wird abgebrochen...</source>
        <translation>Cancelling the scan...</translation>
    </message>
</context>
<context>
    <name>TextRecognition</name>
    <message>
        <source>Die Sprachen für die Texterkennung &quot;%1&quot; sind nicht lesbar (Beispiel: deu+eng). Die PDF-Datei wird ohne erkannten Text geschrieben.</source>
        <translation>The text recognition languages &quot;%1&quot; cannot be read (example: deu+eng). The PDF file will be written without recognized text.</translation>
    </message>
    <message>
        <source>Die Sprachdaten für die Texterkennung (%1) lassen sich nicht laden. Die PDF-Datei wird ohne erkannten Text geschrieben.</source>
        <translation>The language data for text recognition (%1) cannot be loaded. The PDF file will be written without recognized text.</translation>
    </message>
    <message>
        <source>Für die Texterkennung fehlt die Sprache %1. Bitte installieren Sie das Paket %2. Die PDF-Datei wird ohne erkannten Text geschrieben.</source>
        <translation>The language %1 for text recognition is missing. Please install the package %2. The PDF file will be written without recognized text.</translation>
    </message>
    <message>
        <source>Für die Texterkennung fehlen die Sprachen %1. Bitte installieren Sie die Pakete %2. Die PDF-Datei wird ohne erkannten Text geschrieben.</source>
        <translation>The languages %1 for text recognition are missing. Please install the packages %2. The PDF file will be written without recognized text.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>%1 Seite(n) nach %2 geschrieben</source>
        <translation>%1 page(s) written to %2</translation>
    </message>
    <message>
        <source>Hilfe: quillory --help</source>
        <translation>Help: quillory --help</translation>
    </message>
    <message>
        <source>kein Bildschirm vorhanden.
Aufruf ohne Fenster: quillory BILD... AUSGABE.pdf</source>
        <translation>no display available.
Call without a window: quillory PICTURE... OUTPUT.pdf</translation>
    </message>
</context>
</TS>
