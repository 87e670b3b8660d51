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
        <translation>Rotate</translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version 1.7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copyright © 2006-XXXX Torvand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Papierdokumente scannen und als PDF-Datei speichern.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>&amp;Neu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Neues Dokument</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ö&amp;ffnen...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dokument öffnen...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Speichern unter...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dokument speichern unter...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Rückgängig</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nichts rückgängig zu machen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Wiederholen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nichts zu wiederholen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dokumente scannen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sortieren</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF-Datei erzeugen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auf zur Torvand Homepage...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Über...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ende</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>von </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rückgängig: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (Strg+Z)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wiederholen: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (Strg+Umschalt+Z)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nach links drehen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nach rechts drehen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Löschen</source>
        <translation type="unfinished">Delete</translation>
    </message>
    <message>
        <source>Alle auswählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leere Seite einfügen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leere Seiten markieren</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Als leer gelten Seiten, auf denen außerhalb des Randes höchstens dieser Anteil der Fläche beschrieben ist (in Zehntausendsteln):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished">Cancel</translation>
    </message>
    <message>
        <source>PDF-Datei speichern...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF-Datei speichern, jedes Bild eine PDF Datei...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF-Datei nach dem Erzeugen anzeigen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>JPEG 2000 Kompression verwenden (ab Acrobat Reader 6)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>JPEG-Kompression (100=beste Qualität; 1=beste Kompression):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>JPEG 2000-Kompression (Dateigröße in % gegenüber Original):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die JPEG 2000 Kompression ist im Vergleich zur JPEG Kompression sehr langsam beim Abspeichern, erzeugt aber bei gleicher Qualität kleinere Dateien.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text erkennen (durchsuchbare PDF-Datei)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erkennt den Text jeder Seite und legt ihn unsichtbar über das Bild, damit die PDF-Datei durchsucht und Text kopiert werden kann</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sprachen der Texterkennung, mit + verbunden (deu+eng); für jede Sprache muss das Paket tesseract-ocr-&lt;Sprache&gt; installiert sein</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sprachen:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF-Datei erzeugen - Hier können Sie nun die PDF-Datei erzeugen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanner auswählen...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scannen...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bilder hinzufügen...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bild Löschen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bild speichern...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>von 0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seite Nr:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom:</source>
        <translation type="unfinished">Zoom:</translation>
    </message>
    <message>
        <source>%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nach links rotieren</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nach rechts rotieren</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dokumente scannen - Hier können Sie die Papierdokumente scannen oder Bilder hinzufügen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ränder aktivieren</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bilder zentrieren</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maximale Bildgröße</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Größe relativ zu größtem Bild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Papierbreite:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Papierhöhe:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rand links/rechts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rand oben/unten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Papierhöhe an gescanntes Bild anpassen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Papierbreite auch an gescanntes Bild anpassen:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanauflösung:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DPI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanner-Dialog nach einem Bild automatisch schließen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Benutze WIA Scanner Schnittstelle anstatt der TWAIN Schnittstelle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Einstellungen - hier können Sie die Papiergröße festlegen und die Anordnung der Bilder bestimmen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nach vorne</source>
        <translation type="unfinished">Move forward</translation>
    </message>
    <message>
        <source>Verschiebt das Bild in der Reihenfolge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nach hinten</source>
        <translation type="unfinished">Move back</translation>
    </message>
    <message>
        <source>Bild &amp;löschen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vorderseiten und Rückseiten verschränken...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leere Seiten markieren...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Markiert die Seiten, die leer aussehen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Markierte löschen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Löscht die markierten Seiten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fügt vor der aktuellen Seite eine weiße Seite ein</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seiten sortieren - hier können Sie die Reihenfolge der Seiten anpassen</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seitennummer der ersten Rückseite:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rückseiten in umgekehrter Reihenfolge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rückseiten in gleicher Reihenfolge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vorderseiten umgekehrt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished">Cancel</translation>
    </message>
    <message>
        <source>Keine Seiten.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Neue Reihenfolge:</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hilfe: quillory --help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kein Bildschirm vorhanden.
Aufruf ohne Fenster: quillory BILD... AUSGABE.pdf</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
