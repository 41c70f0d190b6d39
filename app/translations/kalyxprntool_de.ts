<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="de_DE">
<context>
    <name>CupsQueues</name>
    <message>
        <source>This system has no CUPS.</source>
        <translation>Dieses System hat kein CUPS.</translation>
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
        <source>%1: cancelled; the connection closes as soon as the printer lets go.</source>
        <translation>%1: abgebrochen; die Verbindung schließt, sobald der Drucker sie freigibt.</translation>
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
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Parse Failure</source>
        <translation>Lesefehler</translation>
    </message>
</context>
</TS>