<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="de_DE">
<context>
    <name>BatchOutputs</name>
    <message>
        <source>kalyxprn was not found</source>
        <translation>kalyxprn wurde nicht gefunden</translation>
    </message>
    <message>
        <source>the journal could not be read</source>
        <translation>das Journal ließ sich nicht lesen</translation>
    </message>
</context>
<context>
    <name>BatchPage</name>
    <message>
        <source>Open data...</source>
        <translation>Daten öffnen...</translation>
    </message>
    <message>
        <source>Open a data file</source>
        <translation>Eine Datendatei öffnen</translation>
    </message>
    <message>
        <source>No data file: the design shows its field names.</source>
        <translation>Keine Datendatei: der Entwurf zeigt seine Feldnamen.</translation>
    </message>
    <message>
        <source>Only rows with problems</source>
        <translation>Nur Zeilen mit Problemen</translation>
    </message>
    <message>
        <source>Proof...</source>
        <translation>Probedruck...</translation>
    </message>
    <message>
        <source>Write a proof sheet</source>
        <translation>Einen Probebogen schreiben</translation>
    </message>
    <message>
        <source>Export jobs...</source>
        <translation>Aufträge exportieren...</translation>
    </message>
    <message>
        <source>Write the jobs of the selected rows</source>
        <translation>Die Aufträge der gewählten Zeilen schreiben</translation>
    </message>
    <message>
        <source>Data rows</source>
        <translation>Datenzeilen</translation>
    </message>
    <message>
        <source>K plane only</source>
        <translation>Nur K-Ebene</translation>
    </message>
    <message>
        <source>Show the K plane only</source>
        <translation>Nur die K-Ebene zeigen</translation>
    </message>
    <message>
        <source>Front of the selected row</source>
        <translation>Vorderseite der gewählten Zeile</translation>
    </message>
    <message>
        <source>Back of the selected row</source>
        <translation>Rückseite der gewählten Zeile</translation>
    </message>
    <message>
        <source>Data files (*.csv *.tsv *.txt);;All files (*)</source>
        <translation>Datendateien (*.csv *.tsv *.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>more than %1 rows: use kalyxprn batch for this file</source>
        <translation>mehr als %1 Zeilen: für diese Datei kalyxprn batch verwenden</translation>
    </message>
    <message>
        <source>%1 could not be read: %2</source>
        <translation>%1 ließ sich nicht lesen: %2</translation>
    </message>
    <message>
        <source>Row</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>%1 rows, %2 with problems</source>
        <translation>%1 Zeilen, %2 mit Problemen</translation>
    </message>
    <message>
        <source>Save the design first</source>
        <translation>Zuerst den Entwurf speichern</translation>
    </message>
    <message>
        <source>kalyxprn makes the cards from the saved design: save the design on the Design page first.</source>
        <translation>kalyxprn macht die Karten aus dem gespeicherten Entwurf: zuerst den Entwurf auf der Seite Entwurf speichern.</translation>
    </message>
    <message>
        <source>%1...</source>
        <translation>%1...</translation>
    </message>
    <message>
        <source>%1: done.</source>
        <translation>%1: erledigt.</translation>
    </message>
    <message>
        <source>%1 failed.</source>
        <translation>%1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Proof sheet</source>
        <translation>Probebogen</translation>
    </message>
    <message>
        <source>Export jobs to</source>
        <translation>Aufträge exportieren nach</translation>
    </message>
    <message>
        <source>Export of jobs</source>
        <translation>Export der Aufträge</translation>
    </message>
    <message>
        <source>Print...</source>
        <translation>Drucken...</translation>
    </message>
    <message>
        <source>Print the batch</source>
        <translation>Die Serie drucken</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Earlier batch of this data</source>
        <translation>Frühere Serie dieser Daten</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>Resume the earlier batch</source>
        <translation>Die frühere Serie fortsetzen</translation>
    </message>
    <message>
        <source>Cards of the batch done</source>
        <translation>Fertige Karten der Serie</translation>
    </message>
    <message>
        <source>Progress of the batch</source>
        <translation>Fortschritt der Serie</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Pause the batch</source>
        <translation>Die Serie anhalten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cancel the batch</source>
        <translation>Die Serie abbrechen</translation>
    </message>
    <message>
        <source>Printers of the batch</source>
        <translation>Drucker der Serie</translation>
    </message>
    <message>
        <source>Resume the batch</source>
        <translation>Die Serie fortsetzen</translation>
    </message>
    <message>
        <source>Prints the %1 selected rows; rows with problems are left out.</source>
        <translation>Druckt die %1 gewählten Zeilen; Zeilen mit Problemen werden ausgelassen.</translation>
    </message>
    <message>
        <source>Prints every row without problems: %1 cards.</source>
        <translation>Druckt jede Zeile ohne Probleme: %1 Karten.</translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation>Wird gestartet...</translation>
    </message>
    <message>
        <source>Pausing: the cards in flight finish...</source>
        <translation>Wird angehalten: die Karten in Arbeit werden fertig...</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>Cancelling: the cards in flight finish...</source>
        <translation>Wird abgebrochen: die Karten in Arbeit werden fertig...</translation>
    </message>
    <message>
        <source>printing row %1</source>
        <translation>druckt Zeile %1</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>gesendet</translation>
    </message>
    <message>
        <source>completed</source>
        <translation>fertig</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>uncertain: %1</source>
        <translation>ungewiss: %1</translation>
    </message>
    <message>
        <source>printed before</source>
        <translation>schon gedruckt</translation>
    </message>
    <message>
        <source>%1 of %2 cards</source>
        <translation>%1 von %2 Karten</translation>
    </message>
    <message>
        <source>, %1 left</source>
        <translation>, noch %1</translation>
    </message>
    <message>
        <source>out of the pool: %1</source>
        <translation>aus dem Verbund genommen: %1</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>frei</translation>
    </message>
    <message>
        <source>%1: %2 printed, %3</source>
        <translation>%1: %2 gedruckt, %3</translation>
    </message>
    <message>
        <source>Paused after %1 of %2 cards.</source>
        <translation>Angehalten nach %1 von %2 Karten.</translation>
    </message>
    <message>
        <source>Cancelled after %1 of %2 cards; the journal keeps what printed.</source>
        <translation>Abgebrochen nach %1 von %2 Karten; das Journal hält fest, was gedruckt wurde.</translation>
    </message>
    <message>
        <source>Done: %1 cards printed.</source>
        <translation>Fertig: %1 Karten gedruckt.</translation>
    </message>
    <message>
        <source>Stopped: %1 printed, %2 failed, %3 may have printed.</source>
        <translation>Beendet: %1 gedruckt, %2 fehlgeschlagen, %3 vielleicht gedruckt.</translation>
    </message>
    <message>
        <source>The journal %1 cannot be read: %2</source>
        <translation>Das Journal %1 ist nicht lesbar: %2</translation>
    </message>
    <message>
        <source>may have printed: no outcome recorded</source>
        <translation>vielleicht gedruckt: kein Ergebnis festgehalten</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>not printed: the row has problems</source>
        <translation>nicht gedruckt: die Zeile hat Probleme</translation>
    </message>
    <message>
        <source>may have printed</source>
        <translation>vielleicht gedruckt</translation>
    </message>
    <message>
        <source>printed (confirmed)</source>
        <translation>gedruckt (bestätigt)</translation>
    </message>
    <message>
        <source>not printed (confirmed): prints again</source>
        <translation>nicht gedruckt (bestätigt): wird noch einmal gedruckt</translation>
    </message>
    <message>
        <source>to print again</source>
        <translation>noch einmal zu drucken</translation>
    </message>
    <message>
        <source>An earlier batch of this data printed %1 of %2 cards; %3 left%4. Resume prints the rest, each card once.</source>
        <translation>Eine frühere Serie dieser Daten druckte %1 von %2 Karten; noch %3%4. Fortsetzen druckt den Rest, jede Karte einmal.</translation>
    </message>
    <message>
        <source>, %1 of them may have printed</source>
        <translation>, davon %1 vielleicht gedruckt</translation>
    </message>
    <message>
        <source>Every card of the last batch of this data printed (%1).</source>
        <translation>Jede Karte der letzten Serie dieser Daten ist gedruckt (%1).</translation>
    </message>
    <message>
        <source>A batch is printing</source>
        <translation>Eine Serie wird gedruckt</translation>
    </message>
    <message>
        <source>Stop the batch after the cards in flight? The journal keeps what printed; open the design and data again to resume.</source>
        <translation>Die Serie nach den Karten in Arbeit beenden? Das Journal hält fest, was gedruckt wurde; zum Fortsetzen Entwurf und Daten wieder öffnen.</translation>
    </message>
    <message>
        <source>Waiting for the cards in flight...</source>
        <translation>Warten auf die Karten in Arbeit...</translation>
    </message>
    <message>
        <source>Print the rows to a printer or a pool of printers (%1)</source>
        <translation>Die Zeilen auf einem Drucker oder einem Verbund von Druckern drucken (%1)</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>wird gesendet</translation>
    </message>
    <message>
        <source>to %1</source>
        <translation>an %1</translation>
    </message>
    <message>
        <source>The design or the data changed</source>
        <translation>Entwurf oder Daten wurden geändert</translation>
    </message>
    <message>
        <source>The design or the data changed since this data's batch began. Print the rest with the files as they are now? Cards printed before stay printed; rows are matched by their key.</source>
        <translation>Entwurf oder Daten wurden geändert, seit die Serie dieser Daten begann. Den Rest mit den Dateien drucken, wie sie jetzt sind? Schon gedruckte Karten bleiben gedruckt; Zeilen werden über ihren Schlüssel zugeordnet.</translation>
    </message>
    <message>
        <source>a batch is printing from %1: cancel it or wait for it to end</source>
        <translation>aus %1 wird eine Serie gedruckt: sie abbrechen oder ihr Ende abwarten</translation>
    </message>
    <message>
        <source>waiting for another printer</source>
        <translation>wartet auf einen anderen Drucker</translation>
    </message>
</context>
<context>
    <name>BatchPrintDialog</name>
    <message>
        <source>Tick a printer.</source>
        <translation>Einen Drucker ankreuzen.</translation>
    </message>
    <message>
        <source>A CUPS queue prints alone: its scheduler shares the cards among its printers.</source>
        <translation>Eine CUPS-Warteschlange druckt allein: ihr Scheduler verteilt die Karten auf ihre Drucker.</translation>
    </message>
    <message>
        <source>The USB printer %1 is not attached.</source>
        <translation>Der USB-Drucker %1 ist nicht angeschlossen.</translation>
    </message>
    <message>
        <source>Print the batch</source>
        <translation>Die Serie drucken</translation>
    </message>
    <message>
        <source>Print to (tick several printers to share the cards among them):</source>
        <translation>Drucken auf (mehrere Drucker ankreuzen, um die Karten auf sie zu verteilen):</translation>
    </message>
    <message>
        <source>Printers of the batch</source>
        <translation>Drucker der Serie</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Do not print</source>
        <translation>Nicht drucken</translation>
    </message>
</context>
<context>
    <name>BatchUncertainDialog</name>
    <message>
        <source>Cards that may have printed</source>
        <translation>Karten, die vielleicht gedruckt wurden</translation>
    </message>
    <message>
        <source>The printer broke off while these cards were being sent: they may have printed. Look at the printed cards, then say for each whether it printed. A card that did not print prints with the rest of the batch.</source>
        <translation>Der Drucker brach ab, während diese Karten gesendet wurden: sie wurden vielleicht gedruckt. Sehen Sie sich die gedruckten Karten an und sagen Sie für jede, ob sie gedruckt wurde. Eine nicht gedruckte Karte wird mit dem Rest der Serie gedruckt.</translation>
    </message>
    <message>
        <source>&lt;b&gt;Row&lt;/b&gt;</source>
        <translation>&lt;b&gt;Zeile&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Printer&lt;/b&gt;</source>
        <translation>&lt;b&gt;Drucker&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Did it print?&lt;/b&gt;</source>
        <translation>&lt;b&gt;Gedruckt?&lt;/b&gt;</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Wählen...</translation>
    </message>
    <message>
        <source>It printed</source>
        <translation>Sie wurde gedruckt</translation>
    </message>
    <message>
        <source>It did not print: print it again</source>
        <translation>Sie wurde nicht gedruckt: noch einmal drucken</translation>
    </message>
    <message>
        <source>Did row %1 (%2) print?</source>
        <translation>Wurde Zeile %1 (%2) gedruckt?</translation>
    </message>
    <message>
        <source>Record the answers</source>
        <translation>Die Antworten festhalten</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>Answer later</source>
        <translation>Später antworten</translation>
    </message>
</context>
<context>
    <name>CupsQueues</name>
    <message>
        <source>This system has no CUPS.</source>
        <translation>Dieses System hat kein CUPS.</translation>
    </message>
</context>
<context>
    <name>DesignCanvas</name>
    <message>
        <source>Front of the card</source>
        <translation>Vorderseite der Karte</translation>
    </message>
    <message>
        <source>Back of the card</source>
        <translation>Rückseite der Karte</translation>
    </message>
    <message>
        <source>This design prints nothing on this side.</source>
        <translation>Dieser Entwurf druckt nichts auf diese Seite.</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Bewegen</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Größe ändern</translation>
    </message>
</context>
<context>
    <name>DesignDocument</name>
    <message>
        <source>The design would not open again: %1</source>
        <translation>Der Entwurf ließe sich nicht wieder öffnen: %1</translation>
    </message>
</context>
<context>
    <name>DesignPage</name>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Barcode</source>
        <translation>Strichcode</translation>
    </message>
    <message>
        <source>Rectangle</source>
        <translation>Rechteck</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Linie</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z</source>
        <translation>Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Add an object</source>
        <translation>Ein Objekt hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Delete the object</source>
        <translation>Das Objekt löschen</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Nach vorn</translation>
    </message>
    <message>
        <source>Draw the object later</source>
        <translation>Das Objekt später zeichnen</translation>
    </message>
    <message>
        <source>Backward</source>
        <translation>Nach hinten</translation>
    </message>
    <message>
        <source>Draw the object earlier</source>
        <translation>Das Objekt früher zeichnen</translation>
    </message>
    <message>
        <source>K plane only</source>
        <translation>Nur K-Ebene</translation>
    </message>
    <message>
        <source>Show the K plane only</source>
        <translation>Nur die K-Ebene zeigen</translation>
    </message>
    <message>
        <source>The black resin panel alone, as it prints: one bit per dot</source>
        <translation>Nur das schwarze Harzpanel, wie es gedruckt wird: ein Bit je Punkt</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save the design</source>
        <translation>Den Entwurf speichern</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>Speichern unter...</translation>
    </message>
    <message>
        <source>Save the design as</source>
        <translation>Den Entwurf speichern unter</translation>
    </message>
    <message>
        <source>Front</source>
        <translation>Vorderseite</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Rückseite</translation>
    </message>
    <message>
        <source>Object</source>
        <translation>Objekt</translation>
    </message>
    <message>
        <source>Problems of the design</source>
        <translation>Probleme des Entwurfs</translation>
    </message>
    <message>
        <source>nothing selected</source>
        <translation>nichts ausgewählt</translation>
    </message>
    <message>
        <source>No problems.</source>
        <translation>Keine Probleme.</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>%1 hinzufügen</translation>
    </message>
    <message>
        <source>Drawing order</source>
        <translation>Zeichenreihenfolge</translation>
    </message>
    <message>
        <source>Card designs (*.card.json)</source>
        <translation>Kartenentwürfe (*.card.json)</translation>
    </message>
</context>
<context>
    <name>DesignPropertyPanel</name>
    <message>
        <source>Text:</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>Template</source>
        <translation>Vorlage</translation>
    </message>
    <message>
        <source>Edit text</source>
        <translation>Text bearbeiten</translation>
    </message>
    <message>
        <source>${Column} takes the value of a data column</source>
        <translation>${Spalte} übernimmt den Wert einer Datenspalte</translation>
    </message>
    <message>
        <source>Font:</source>
        <translation>Schrift:</translation>
    </message>
    <message>
        <source>Font family</source>
        <translation>Schriftfamilie</translation>
    </message>
    <message>
        <source>Font size:</source>
        <translation>Schriftgröße:</translation>
    </message>
    <message>
        <source>Font size</source>
        <translation>Schriftgröße</translation>
    </message>
    <message>
        <source> pt</source>
        <translation> pt</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>Fett</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>Kursiv</translation>
    </message>
    <message>
        <source>Colour:</source>
        <translation>Farbe:</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Align:</source>
        <translation>Ausrichtung:</translation>
    </message>
    <message>
        <source>Alignment</source>
        <translation>Ausrichtung</translation>
    </message>
    <message>
        <source>left</source>
        <translation>links</translation>
    </message>
    <message>
        <source>centre</source>
        <translation>zentriert</translation>
    </message>
    <message>
        <source>right</source>
        <translation>rechts</translation>
    </message>
    <message>
        <source>Fit:</source>
        <translation>Einpassen:</translation>
    </message>
    <message>
        <source>Text fit</source>
        <translation>Text einpassen</translation>
    </message>
    <message>
        <source>none (cut off)</source>
        <translation>keins (abgeschnitten)</translation>
    </message>
    <message>
        <source>shrink</source>
        <translation>verkleinern</translation>
    </message>
    <message>
        <source>wrap</source>
        <translation>umbrechen</translation>
    </message>
    <message>
        <source>shrink and wrap</source>
        <translation>verkleinern und umbrechen</translation>
    </message>
    <message>
        <source>Smallest size:</source>
        <translation>Kleinste Größe:</translation>
    </message>
    <message>
        <source>Smallest font size</source>
        <translation>Kleinste Schriftgröße</translation>
    </message>
    <message>
        <source>Shrinking stops at this size</source>
        <translation>Kleiner als diese Größe wird nicht verkleinert</translation>
    </message>
    <message>
        <source>Most lines:</source>
        <translation>Höchstens Zeilen:</translation>
    </message>
    <message>
        <source>Most lines</source>
        <translation>Höchstzahl der Zeilen</translation>
    </message>
    <message>
        <source>as many as fit</source>
        <translation>so viele wie passen</translation>
    </message>
    <message>
        <source>File:</source>
        <translation>Datei:</translation>
    </message>
    <message>
        <source>Picture file</source>
        <translation>Bilddatei</translation>
    </message>
    <message>
        <source>A file name; photos/${ID}.jpg takes it from the data row</source>
        <translation>Ein Dateiname; photos/${ID}.jpg nimmt ihn aus der Datenzeile</translation>
    </message>
    <message>
        <source>Picture fit</source>
        <translation>Bild einpassen</translation>
    </message>
    <message>
        <source>cover (fills the box, cut to it)</source>
        <translation>füllen (füllt den Rahmen, beschnitten)</translation>
    </message>
    <message>
        <source>contain (all of it, centred)</source>
        <translation>einpassen (ganz, zentriert)</translation>
    </message>
    <message>
        <source>Symbology:</source>
        <translation>Symbologie:</translation>
    </message>
    <message>
        <source>Symbology</source>
        <translation>Symbologie</translation>
    </message>
    <message>
        <source>Data:</source>
        <translation>Daten:</translation>
    </message>
    <message>
        <source>Barcode data</source>
        <translation>Strichcodedaten</translation>
    </message>
    <message>
        <source>Module:</source>
        <translation>Modul:</translation>
    </message>
    <message>
        <source>Module size</source>
        <translation>Modulbreite</translation>
    </message>
    <message>
        <source> dots</source>
        <translation> Punkte</translation>
    </message>
    <message>
        <source>The width of the narrowest bar, in printer dots</source>
        <translation>Die Breite des schmalsten Strichs, in Druckerpunkten</translation>
    </message>
    <message>
        <source>Quiet zone</source>
        <translation>Ruhezone</translation>
    </message>
    <message>
        <source>Human-readable text</source>
        <translation>Klarschrift</translation>
    </message>
    <message>
        <source>The data written under a linear barcode</source>
        <translation>Die Daten unter einem linearen Strichcode</translation>
    </message>
    <message>
        <source>Fill:</source>
        <translation>Füllung:</translation>
    </message>
    <message>
        <source>Fill colour</source>
        <translation>Füllfarbe</translation>
    </message>
    <message>
        <source>Stroke:</source>
        <translation>Kontur:</translation>
    </message>
    <message>
        <source>Stroke colour</source>
        <translation>Konturfarbe</translation>
    </message>
    <message>
        <source>Stroke width:</source>
        <translation>Konturbreite:</translation>
    </message>
    <message>
        <source>Stroke width</source>
        <translation>Konturbreite</translation>
    </message>
    <message>
        <source> mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <source>Ink:</source>
        <translation>Druckfarbe:</translation>
    </message>
    <message>
        <source>Ink</source>
        <translation>Druckfarbe</translation>
    </message>
    <message>
        <source>automatic</source>
        <translation>automatisch</translation>
    </message>
    <message>
        <source>black (K)</source>
        <translation>schwarz (K)</translation>
    </message>
    <message>
        <source>colour</source>
        <translation>farbig</translation>
    </message>
    <message>
        <source>Black (K) prints with the black resin panel: sharp, one bit per dot, read by infrared scanners</source>
        <translation>Schwarz (K) druckt mit dem schwarzen Harzpanel: scharf, ein Bit je Punkt, von Infrarotscannern lesbar</translation>
    </message>
    <message>
        <source>Only if:</source>
        <translation>Nur wenn:</translation>
    </message>
    <message>
        <source>Printed only if</source>
        <translation>Nur gedruckt, wenn</translation>
    </message>
    <message>
        <source>Condition</source>
        <translation>Bedingung</translation>
    </message>
    <message>
        <source>Printed only when this template is not empty</source>
        <translation>Nur gedruckt, wenn diese Vorlage nicht leer ist</translation>
    </message>
    <message>
        <source>X:</source>
        <translation>X:</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Bewegen</translation>
    </message>
    <message>
        <source>Y:</source>
        <translation>Y:</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Breite:</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Größe ändern</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Höhe:</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Kind:</source>
        <translation>Art:</translation>
    </message>
    <message>
        <source>nothing selected</source>
        <translation>nichts ausgewählt</translation>
    </message>
    <message>
        <source>#rrggbb or a colour name</source>
        <translation>#rrggbb oder ein Farbname</translation>
    </message>
    <message>
        <source>#rrggbb, or empty for none</source>
        <translation>#rrggbb, oder leer für keine</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the picture file</source>
        <translation>Die Bilddatei wählen</translation>
    </message>
    <message>
        <source>Choose: %1</source>
        <translation>Wählen: %1</translation>
    </message>
    <message>
        <source>Choose a picture</source>
        <translation>Ein Bild wählen</translation>
    </message>
    <message>
        <source>Pictures (*.png *.jpg *.jpeg *.svg);;All files (*)</source>
        <translation>Bilder (*.png *.jpg *.jpeg *.svg);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>DesignView</name>
    <message>
        <source>Card design</source>
        <translation>Kartenentwurf</translation>
    </message>
    <message>
        <source>Design</source>
        <translation>Entwurf</translation>
    </message>
    <message>
        <source>Batch</source>
        <translation>Serie</translation>
    </message>
    <message>
        <source>Unsaved changes</source>
        <translation>Nicht gespeicherte Änderungen</translation>
    </message>
    <message>
        <source>The design %1 has changes that are not saved. Save them?</source>
        <translation>Der Entwurf %1 hat nicht gespeicherte Änderungen. Speichern?</translation>
    </message>
</context>
<context>
    <name>KlxPrnTool</name>
    <message>
        <source>KlxPrnTool</source>
        <translation>KlxPrnTool</translation>
    </message>
    <message>
        <source>Front image</source>
        <translation>Vorderseite</translation>
    </message>
    <message>
        <source>Visible colour planes:</source>
        <translation>Sichtbare Farbebenen:</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>K</source>
        <translation>K</translation>
    </message>
    <message>
        <source>Save the currently visible colour planes for this side as an image file such as JPEG, TIFF, etc.</source>
        <translation>Die jetzt sichtbaren Farbebenen dieser Seite als Bilddatei speichern, etwa JPEG oder TIFF.</translation>
    </message>
    <message>
        <source>Export this image...</source>
        <translation>Dieses Bild exportieren...</translation>
    </message>
    <message>
        <source>Back image</source>
        <translation>Rückseite</translation>
    </message>
    <message>
        <source>Mag data</source>
        <translation>Magnetdaten</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Spur</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Daten</translation>
    </message>
    <message>
        <source>LRC</source>
        <translation>LRC</translation>
    </message>
    <message>
        <source>Track 1:</source>
        <translation>Spur 1:</translation>
    </message>
    <message>
        <source>Track 2:</source>
        <translation>Spur 2:</translation>
    </message>
    <message>
        <source>Track 3:</source>
        <translation>Spur 3:</translation>
    </message>
    <message>
        <source>Encoding Format</source>
        <translation>Kodierung</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>JIS Type II</source>
        <translation>JIS Type II</translation>
    </message>
    <message>
        <source>Options and encoding data</source>
        <translation>Optionen und Kodierdaten</translation>
    </message>
    <message>
        <source>Field name</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Open a PRN file.</source>
        <translation>Eine PRN-Datei öffnen.</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Send the in-memory PRN file to a USB printer.&lt;/p&gt;&lt;p&gt;Note that this will connect to the first available Corvane on USB, and that the PRN file sent will include any modifications made in the options and encoding data tab (but NOT any colour plane enabling/disabling options made in the other tabs).&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Die PRN-Datei aus dem Speicher an den gewählten Drucker senden.&lt;/p&gt;&lt;p&gt;Gesendet werden alle Änderungen auf der Seite Optionen und Kodierdaten, aber NICHT die Auswahl der sichtbaren Farbebenen auf den anderen Seiten.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&amp;Print via USB</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>Where Print and the Printer page go: the first printer on USB, one printer found on USB, a network printer you added, or a CUPS queue.</source>
        <translation>Wohin Drucken und die Seite Drucker gehen: der erste Drucker an USB, ein gefundener USB-Drucker, ein hinzugefügter Netzwerkdrucker oder eine CUPS-Warteschlange.</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Save the in-memory PRN file.&lt;/p&gt;&lt;p&gt;The saved file will include any modifications made in the options/encoding tab, but not any colour plane enabling/disabling selections made in the other tabs.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Die PRN-Datei aus dem Speicher speichern.&lt;/p&gt;&lt;p&gt;Gespeichert werden alle Änderungen auf der Seite Optionen und Kodierdaten, aber nicht die Auswahl der sichtbaren Farbebenen.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&amp;Save as</source>
        <translation>&amp;Speichern unter</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Quit the application.  Any unsaved changes will be lost.</source>
        <translation>Das Programm beenden. Nicht gespeicherte Änderungen gehen verloren.</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Stop waiting for the printer and close the connection.</source>
        <translation>Nicht länger auf den Drucker warten und die Verbindung schließen.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Drucker</translation>
    </message>
    <message>
        <source>Choose PRN file</source>
        <translation>PRN-Datei wählen</translation>
    </message>
    <message>
        <source>PRNs (*.prn)</source>
        <translation>PRN-Dateien (*.prn)</translation>
    </message>
    <message>
        <source>File does not exist.</source>
        <translation>Die Datei gibt es nicht.</translation>
    </message>
    <message>
        <source>Couldn't parse PRN file.</source>
        <translation>Die PRN-Datei ist nicht lesbar.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Field information</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Unrecognised edit type</source>
        <translation>Unbekannte Art der Bearbeitung</translation>
    </message>
    <message>
        <source>New value:</source>
        <translation>Neuer Wert:</translation>
    </message>
    <message>
        <source>Looking for printers</source>
        <translation>Drucker suchen</translation>
    </message>
    <message>
        <source>Printers found on USB: %1.</source>
        <translation>Drucker an USB gefunden: %1.</translation>
    </message>
    <message>
        <source>First printer on USB</source>
        <translation>Erster Drucker an USB</translation>
    </message>
    <message>
        <source>USB: %1</source>
        <translation>USB: %1</translation>
    </message>
    <message>
        <source>Network: %1</source>
        <translation>Netzwerk: %1</translation>
    </message>
    <message>
        <source>CUPS queue: %1</source>
        <translation>CUPS-Warteschlange: %1</translation>
    </message>
    <message>
        <source>Add a network printer...</source>
        <translation>Netzwerkdrucker hinzufügen...</translation>
    </message>
    <message>
        <source>Look for printers again</source>
        <translation>Erneut nach Druckern suchen</translation>
    </message>
    <message>
        <source>Wait for the printer to finish: %1.</source>
        <translation>Warten Sie, bis der Drucker fertig ist: %1.</translation>
    </message>
    <message>
        <source>Add a network printer</source>
        <translation>Netzwerkdrucker hinzufügen</translation>
    </message>
    <message>
        <source>The printer's address, HOST or HOST:PORT (port 9100 unless given):</source>
        <translation>Adresse des Druckers, HOST oder HOST:PORT (sonst Port 9100):</translation>
    </message>
    <message>
        <source>Added the network printer %1.</source>
        <translation>Netzwerkdrucker %1 hinzugefügt.</translation>
    </message>
    <message>
        <source>No printer found on USB. Connect a Kalyx printer by USB and switch it on, add a network printer in the list beside Print, or try the simulator: kalyxsim --usb -- kalyxprntool</source>
        <translation>Kein Drucker an USB gefunden. Schließen Sie einen Kalyx-Drucker per USB an und schalten Sie ihn ein, fügen Sie in der Liste neben Drucken einen Netzwerkdrucker hinzu, oder probieren Sie den Simulator: kalyxsim --usb -- kalyxprntool</translation>
    </message>
    <message>
        <source>No printer found on USB. Connect a Kalyx printer by USB and switch it on, add a network printer in the list beside Print, or try the simulator: start kalyxsim --port 9100 and add 127.0.0.1:9100 in that list</source>
        <translation>Kein Drucker an USB gefunden. Schließen Sie einen Kalyx-Drucker per USB an und schalten Sie ihn ein, fügen Sie in der Liste neben Drucken einen Netzwerkdrucker hinzu, oder probieren Sie den Simulator: starten Sie kalyxsim --port 9100 und fügen Sie 127.0.0.1:9100 in dieser Liste hinzu</translation>
    </message>
    <message>
        <source>Couldn't save PRN.</source>
        <translation>Die PRN-Datei konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Printing...</source>
        <translation>Druckt...</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>CUPS queue %1</source>
        <translation>CUPS-Warteschlange %1</translation>
    </message>
    <message>
        <source>The print was abandoned.</source>
        <translation>Der Druck wurde aufgegeben.</translation>
    </message>
    <message>
        <source>Could not reach %1.</source>
        <translation>%1 ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>Could not open connection to printer.</source>
        <translation>Keine Verbindung zum Drucker.</translation>
    </message>
    <message>
        <source>The job did not reach %1.</source>
        <translation>Der Auftrag hat %1 nicht erreicht.</translation>
    </message>
    <message>
        <source>%1 did not take the job: %2</source>
        <translation>%1 hat den Auftrag nicht angenommen: %2</translation>
    </message>
    <message>
        <source>Failed to send job to printer.</source>
        <translation>Der Auftrag konnte nicht an den Drucker gesendet werden.</translation>
    </message>
    <message>
        <source>Sent %1 bytes to %2 as job %3.</source>
        <translation>%1 Bytes an %2 gesendet, Auftrag %3.</translation>
    </message>
    <message>
        <source>Sent %1 bytes to %2.</source>
        <translation>%1 Bytes an %2 gesendet.</translation>
    </message>
    <message>
        <source>Choose image file</source>
        <translation>Bilddatei wählen</translation>
    </message>
    <message>
        <source>Image files (*.bmp *.gif *.jpg *.jpeg *.png *.pbm *.pgm *.ppm *tif *.tiff *.xbm *.xpm)</source>
        <translation>Bilddateien (*.bmp *.gif *.jpg *.jpeg *.png *.pbm *.pgm *.ppm *tif *.tiff *.xbm *.xpm)</translation>
    </message>
    <message>
        <source>Couldn't save image.</source>
        <translation>Das Bild konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>PRNs and card designs (*.prn *.card.json);;PRNs (*.prn);;Card designs (*.card.json)</source>
        <translation>PRN-Dateien und Kartenentwürfe (*.prn *.card.json);;PRN-Dateien (*.prn);;Kartenentwürfe (*.card.json)</translation>
    </message>
    <message>
        <source>Couldn't open the card design: %1</source>
        <translation>Der Kartenentwurf ließ sich nicht öffnen: %1</translation>
    </message>
    <message>
        <source>Couldn't read the data file: %1</source>
        <translation>Die Datendatei ließ sich nicht lesen: %1</translation>
    </message>
    <message>
        <source>%1: cancelled.</source>
        <translation>%1: abgebrochen.</translation>
    </message>
</context>
<context>
    <name>PrinterChoice</name>
    <message>
        <source>Give the printer's address as HOST or HOST:PORT.</source>
        <translation>Geben Sie die Adresse als HOST oder HOST:PORT an.</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535.</source>
        <translation>Der Port muss eine Zahl von 1 bis 65535 sein.</translation>
    </message>
</context>
<context>
    <name>PrinterConnection</name>
    <message>
        <source>USB printer %1</source>
        <translation>USB-Drucker %1</translation>
    </message>
    <message>
        <source>network printer %1</source>
        <translation>Netzwerkdrucker %1</translation>
    </message>
</context>
<context>
    <name>PrinterFacts</name>
    <message>
        <source>no failure</source>
        <translation>kein Fehler</translation>
    </message>
    <message>
        <source>the connection is closed</source>
        <translation>die Verbindung ist geschlossen</translation>
    </message>
    <message>
        <source>the request cannot be sent</source>
        <translation>die Anfrage kann nicht gesendet werden</translation>
    </message>
    <message>
        <source>the request could not be sent</source>
        <translation>die Anfrage konnte nicht gesendet werden</translation>
    </message>
    <message>
        <source>the printer took no data within the time allowed</source>
        <translation>der Drucker hat in der erlaubten Zeit keine Daten angenommen</translation>
    </message>
    <message>
        <source>the answer could not be received</source>
        <translation>die Antwort konnte nicht empfangen werden</translation>
    </message>
    <message>
        <source>the printer did not answer in time (timed out)</source>
        <translation>der Drucker hat nicht rechtzeitig geantwortet (Zeitüberschreitung)</translation>
    </message>
    <message>
        <source>the printer closed the connection</source>
        <translation>der Drucker hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>the answer was not understood</source>
        <translation>die Antwort war unverständlich</translation>
    </message>
    <message>
        <source>the answer's checksum is wrong</source>
        <translation>die Prüfsumme der Antwort ist falsch</translation>
    </message>
    <message>
        <source>the answer is too large</source>
        <translation>die Antwort ist zu groß</translation>
    </message>
    <message>
        <source>the printer refused</source>
        <translation>der Drucker hat abgelehnt</translation>
    </message>
    <message>
        <source>there was not enough memory</source>
        <translation>es war nicht genug Speicher frei</translation>
    </message>
    <message>
        <source>the answer stopped coming (timed out)</source>
        <translation>die Antwort brach ab (Zeitüberschreitung)</translation>
    </message>
    <message>
        <source>the exchange failed</source>
        <translation>der Austausch ist fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>PrinterPage</name>
    <message>
        <source>Initialise</source>
        <translation>Initialisieren</translation>
    </message>
    <message>
        <source>To standby</source>
        <translation>In Wartestellung</translation>
    </message>
    <message>
        <source>To contact encoder</source>
        <translation>Zum Kontakt-Kodierer</translation>
    </message>
    <message>
        <source>To contactless encoder</source>
        <translation>Zum kontaktlosen Kodierer</translation>
    </message>
    <message>
        <source>Flip</source>
        <translation>Wenden</translation>
    </message>
    <message>
        <source>Eject</source>
        <translation>Auswerfen</translation>
    </message>
    <message>
        <source>Card jam</source>
        <translation>Kartenstau</translation>
    </message>
    <message>
        <source>Ribbon out</source>
        <translation>Farbband leer</translation>
    </message>
    <message>
        <source>Feeder empty</source>
        <translation>Zuführung leer</translation>
    </message>
    <message>
        <source>Cover open</source>
        <translation>Deckel offen</translation>
    </message>
    <message>
        <source>Magnetic encoding failed</source>
        <translation>Magnetkodierung fehlgeschlagen</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>Reboot</source>
        <translation>Neu starten</translation>
    </message>
    <message>
        <source>Fast restart</source>
        <translation>Schnell neu starten</translation>
    </message>
    <message>
        <source>Shipped settings</source>
        <translation>Auslieferungszustand</translation>
    </message>
    <message>
        <source>Default settings</source>
        <translation>Standardeinstellungen</translation>
    </message>
    <message>
        <source>in the feeder</source>
        <translation>in der Zuführung</translation>
    </message>
    <message>
        <source>at standby</source>
        <translation>in Wartestellung</translation>
    </message>
    <message>
        <source>in the encoder module</source>
        <translation>im Kodiermodul</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>the file is larger than 100 MiB</source>
        <translation>die Datei ist größer als 100 MiB</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Drucker</translation>
    </message>
    <message>
        <source>Chosen:</source>
        <translation>Gewählt:</translation>
    </message>
    <message>
        <source>Model:</source>
        <translation>Modell:</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>Firmware:</source>
        <translation>Firmware:</translation>
    </message>
    <message>
        <source>Card:</source>
        <translation>Karte:</translation>
    </message>
    <message>
        <source>Error:</source>
        <translation>Fehler:</translation>
    </message>
    <message>
        <source>Cards in hopper:</source>
        <translation>Karten im Magazin:</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>Actions</source>
        <translation>Aktionen</translation>
    </message>
    <message>
        <source>Clear the error:</source>
        <translation>Fehler beheben:</translation>
    </message>
    <message>
        <source>Retry the job</source>
        <translation>Auftrag wiederholen</translation>
    </message>
    <message>
        <source>Cancel the job</source>
        <translation>Auftrag abbrechen</translation>
    </message>
    <message>
        <source>Move the card:</source>
        <translation>Karte bewegen:</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Bewegen</translation>
    </message>
    <message>
        <source>Force an error (service):</source>
        <translation>Fehler auslösen (Service):</translation>
    </message>
    <message>
        <source>Force</source>
        <translation>Auslösen</translation>
    </message>
    <message>
        <source>Power:</source>
        <translation>Strom:</translation>
    </message>
    <message>
        <source>Power down...</source>
        <translation>Ausschalten...</translation>
    </message>
    <message>
        <source>Settings:</source>
        <translation>Einstellungen:</translation>
    </message>
    <message>
        <source>Store settings</source>
        <translation>Einstellungen sichern</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>Service:</source>
        <translation>Service:</translation>
    </message>
    <message>
        <source>Save report...</source>
        <translation>Bericht speichern...</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Kalibrieren</translation>
    </message>
    <message>
        <source>Slot </source>
        <translation>Platz </translation>
    </message>
    <message>
        <source>Glintmark:</source>
        <translation>Glintmark:</translation>
    </message>
    <message>
        <source>Upload picture...</source>
        <translation>Bild hochladen...</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Update from a file:</source>
        <translation>Aus einer Datei aktualisieren:</translation>
    </message>
    <message>
        <source>Software...</source>
        <translation>Software...</translation>
    </message>
    <message>
        <source>Capability...</source>
        <translation>Fähigkeiten...</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Values in black can be changed: edit them, then write them.</source>
        <translation>Schwarze Werte lassen sich ändern: bearbeiten, dann schreiben.</translation>
    </message>
    <message>
        <source>&amp;Write settings</source>
        <translation>Einstellungen &amp;schreiben</translation>
    </message>
    <message>
        <source>First printer on USB</source>
        <translation>Erster Drucker an USB</translation>
    </message>
    <message>
        <source>A CUPS queue takes print jobs only; choose a printer to see its state.</source>
        <translation>Eine CUPS-Warteschlange nimmt nur Druckaufträge an; wählen Sie einen Drucker, um seinen Zustand zu sehen.</translation>
    </message>
    <message>
        <source>Could not open connection to printer.</source>
        <translation>Keine Verbindung zum Drucker.</translation>
    </message>
    <message>
        <source>Check that it is switched on and connected, or choose another printer.</source>
        <translation>Prüfen Sie, ob er eingeschaltet und angeschlossen ist, oder wählen Sie einen anderen Drucker.</translation>
    </message>
    <message>
        <source>%1: no answer from %2: %3.</source>
        <translation>%1: keine Antwort von %2: %3.</translation>
    </message>
    <message>
        <source>%1: the printer refused: %2</source>
        <translation>%1: der Drucker lehnt ab: %2</translation>
    </message>
    <message>
        <source>%1: done.</source>
        <translation>%1: erledigt.</translation>
    </message>
    <message>
        <source>Wait for the printer to finish: %1.</source>
        <translation>Warten Sie, bis der Drucker fertig ist: %1.</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keiner</translation>
    </message>
    <message>
        <source>No setting was changed.</source>
        <translation>Keine Einstellung wurde geändert.</translation>
    </message>
    <message>
        <source>Write settings</source>
        <translation>Einstellungen schreiben</translation>
    </message>
    <message>
        <source>Clear the error</source>
        <translation>Fehler beheben</translation>
    </message>
    <message>
        <source>Move the card</source>
        <translation>Karte bewegen</translation>
    </message>
    <message>
        <source>The card is %1.</source>
        <translation>Die Karte ist %1.</translation>
    </message>
    <message>
        <source>Force an error</source>
        <translation>Fehler auslösen</translation>
    </message>
    <message>
        <source>Power down</source>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>%1: %2?</source>
        <translation>%1: %2?</translation>
    </message>
    <message>
        <source>Load settings</source>
        <translation>Einstellungen laden</translation>
    </message>
    <message>
        <source>Save the printer's report</source>
        <translation>Bericht des Druckers speichern</translation>
    </message>
    <message>
        <source>Reports (*.txt);;All files (*)</source>
        <translation>Berichte (*.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Save report</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <source>Report saved to %1 (%2 bytes).</source>
        <translation>Bericht in %1 gespeichert (%2 Bytes).</translation>
    </message>
    <message>
        <source>Couldn't save the report to %1.</source>
        <translation>Der Bericht konnte nicht in %1 gespeichert werden.</translation>
    </message>
    <message>
        <source>Calibrated: %1</source>
        <translation>Kalibriert: %1</translation>
    </message>
    <message>
        <source>Choose a Glintmark picture</source>
        <translation>Glintmark-Bild wählen</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 ist nicht lesbar: %2</translation>
    </message>
    <message>
        <source>Upload Glintmark</source>
        <translation>Glintmark hochladen</translation>
    </message>
    <message>
        <source>Glintmark preview</source>
        <translation>Glintmark-Vorschau</translation>
    </message>
    <message>
        <source>(%1 bytes, not a picture)</source>
        <translation>(%1 Bytes, kein Bild)</translation>
    </message>
    <message>
        <source>Choose a software image</source>
        <translation>Software-Abbild wählen</translation>
    </message>
    <message>
        <source>Choose a capability file</source>
        <translation>Fähigkeitsdatei wählen</translation>
    </message>
    <message>
        <source>Update the software of %1 from %2?</source>
        <translation>Software von %1 aus %2 aktualisieren?</translation>
    </message>
    <message>
        <source>Update the capability of %1 from %2?</source>
        <translation>Fähigkeiten von %1 aus %2 aktualisieren?</translation>
    </message>
    <message>
        <source>Update the printer</source>
        <translation>Drucker aktualisieren</translation>
    </message>
    <message>
        <source>Update software</source>
        <translation>Software aktualisieren</translation>
    </message>
    <message>
        <source>Update capability</source>
        <translation>Fähigkeiten aktualisieren</translation>
    </message>
    <message>
        <source>%1: %2 does not answer like a Kalyx printer: what it sent is no printer's answer. Check the address and port.</source>
        <translation>%1: %2 antwortet nicht wie ein Kalyx-Drucker: Was es sendet, ist keine Druckerantwort. Prüfen Sie Adresse und Port.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Parse Failure</source>
        <translation>Lesefehler</translation>
    </message>
    <message>
        <source>%1: the file '%2' is missing</source>
        <translation>%1: die Datei '%2' fehlt</translation>
    </message>
    <message>
        <source>%1: entirely off the card</source>
        <translation>%1: ganz außerhalb der Karte</translation>
    </message>
    <message>
        <source>%1: reaches over the card's edge</source>
        <translation>%1: ragt über den Kartenrand</translation>
    </message>
    <message>
        <source>row %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
</context>
</TS>