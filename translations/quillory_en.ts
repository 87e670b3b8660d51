<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verschiebt das Bild in der Reihenfolge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nach hinten</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
</TS>
