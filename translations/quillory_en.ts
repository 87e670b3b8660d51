<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
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
    <message>
        <source>Hinzufügen</source>
        <translation>Add</translation>
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
        <source>Bilder hinzufügen</source>
        <comment>a step in the history</comment>
        <translation>Add pictures</translation>
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
        <source>Verschieben</source>
        <comment>a step in the history</comment>
        <translation>Move</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher, um alle Seiten zu drehen.</source>
        <translation>Not enough memory to turn all the pages.</translation>
    </message>
    <message>
        <source>Hinzufügen</source>
        <comment>a step in the history</comment>
        <translation>Add</translation>
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
        <source>Markierte löschen</source>
        <comment>a step in the history</comment>
        <translation>Delete marked</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher für eine leere Seite.</source>
        <translation>Not enough memory for a blank page.</translation>
    </message>
    <message>
        <source>Leere Seite einfügen</source>
        <comment>a step in the history</comment>
        <translation>Insert blank page</translation>
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
        <source>Öffnen</source>
        <comment>a step in the history</comment>
        <translation>Open</translation>
    </message>
    <message>
        <source>Drehen</source>
        <comment>a step in the history</comment>
        <translation>Turn</translation>
    </message>
    <message>
        <source>Löschen</source>
        <comment>a step in the history</comment>
        <translation>Delete</translation>
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
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TPrintForm</name>
    <message>
        <source>Drucker einrichten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ausgabe in Datei: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drucker: keiner eingerichtet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drucker: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bild drucken...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vorschau:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Druckgröße</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seite voll nutzen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Benutzerdefiniert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Breite in %:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Höhe in %:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Druckoptionen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seitenverhältnis beibehalten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zentrierte Ausgabe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drucker &amp;einrichten...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;bbrechen</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TScanDialog</name>
    <message>
        <source>Scannen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beidseitig scannen (Duplex)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanner:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quelle:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Modus:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Farbtiefe:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auflösung:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Papierformat:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished">Cancel</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seite %1 wird gescannt...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scannen - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 dpi</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verbindung zum Scanner wird hergestellt...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 Seite gescannt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Seiten gescannt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bereit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Scanvorgang wird abgebrochen...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TSelectScannerDialog</name>
    <message>
        <source>Scanner auswählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanner werden gesucht...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auswählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished">Cancel</translation>
    </message>
    <message>
        <source>Es wurde kein Scanner gefunden. Bitte prüfen Sie, ob der Scanner angeschlossen und eingeschaltet ist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitte wählen Sie den Scanner aus:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TSortView</name>
    <message>
        <source>Seitenübersicht</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Seiten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seite %1 von %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Seite ausgewählt, 1 Seite</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Seite ausgewählt, %1 Seiten</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zurück...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Drucken</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom:</source>
        <translation type="unfinished">Zoom:</translation>
    </message>
</context>
<context>
    <name>TWiaAcquireDialog</name>
    <message>
        <source>Bild scannen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verbindung zum Scanner wird hergestellt...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished">Cancel</translation>
    </message>
    <message>
        <source>Bild wird gescannt (%1)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Scanvorgang wird abgebrochen...</source>
        <translation type="unfinished"></translation>
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
