<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="fr_FR">
<context>
    <name>CupsQueues</name>
    <message>
        <source>This system has no CUPS.</source>
        <translation>Ce système n'a pas CUPS.</translation>
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
        <translation>Recto</translation>
    </message>
    <message>
        <source>Visible colour planes:</source>
        <translation>Plans de couleur visibles :</translation>
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
        <translation>Enregistrer les plans de couleur visibles de cette face dans un fichier image (JPEG, TIFF, etc.).</translation>
    </message>
    <message>
        <source>Export this image...</source>
        <translation>Exporter cette image...</translation>
    </message>
    <message>
        <source>Back image</source>
        <translation>Verso</translation>
    </message>
    <message>
        <source>Mag data</source>
        <translation>Données magnétiques</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Piste</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Données</translation>
    </message>
    <message>
        <source>LRC</source>
        <translation>LRC</translation>
    </message>
    <message>
        <source>Track 1:</source>
        <translation>Piste 1 :</translation>
    </message>
    <message>
        <source>Track 2:</source>
        <translation>Piste 2 :</translation>
    </message>
    <message>
        <source>Track 3:</source>
        <translation>Piste 3 :</translation>
    </message>
    <message>
        <source>Encoding Format</source>
        <translation>Format d'encodage</translation>
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
        <translation>Options et données d'encodage</translation>
    </message>
    <message>
        <source>Field name</source>
        <translation>Champ</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Open a PRN file.</source>
        <translation>Ouvrir un fichier PRN.</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Send the in-memory PRN file to a USB printer.&lt;/p&gt;&lt;p&gt;Note that this will connect to the first available Corvane on USB, and that the PRN file sent will include any modifications made in the options and encoding data tab (but NOT any colour plane enabling/disabling options made in the other tabs).&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Envoyer le fichier PRN en mémoire à l'imprimante choisie.&lt;/p&gt;&lt;p&gt;Le fichier envoyé comprend les modifications de l'onglet Options et données d'encodage, mais PAS le choix des plans de couleur visibles des autres onglets.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&amp;Print via USB</source>
        <translation>&amp;Imprimer</translation>
    </message>
    <message>
        <source>Where Print and the Printer page go: the first printer on USB, one printer found on USB, a network printer you added, or a CUPS queue.</source>
        <translation>Destination de l'impression et de l'onglet Imprimante : la première imprimante USB, une imprimante USB trouvée, une imprimante réseau ajoutée ou une file CUPS.</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Save the in-memory PRN file.&lt;/p&gt;&lt;p&gt;The saved file will include any modifications made in the options/encoding tab, but not any colour plane enabling/disabling selections made in the other tabs.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Enregistrer le fichier PRN en mémoire.&lt;/p&gt;&lt;p&gt;Le fichier comprend les modifications de l'onglet Options et données d'encodage, mais pas le choix des plans de couleur visibles.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&amp;Save as</source>
        <translation>&amp;Enregistrer sous</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Quit the application.  Any unsaved changes will be lost.</source>
        <translation>Quitter l'application. Les modifications non enregistrées seront perdues.</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Stop waiting for the printer and close the connection.</source>
        <translation>Ne plus attendre l'imprimante et fermer la connexion.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Imprimante</translation>
    </message>
    <message>
        <source>Choose PRN file</source>
        <translation>Choisir un fichier PRN</translation>
    </message>
    <message>
        <source>PRNs (*.prn)</source>
        <translation>Fichiers PRN (*.prn)</translation>
    </message>
    <message>
        <source>File does not exist.</source>
        <translation>Le fichier n'existe pas.</translation>
    </message>
    <message>
        <source>Couldn't parse PRN file.</source>
        <translation>Impossible de lire le fichier PRN.</translation>
    </message>
    <message>
        <source>%1: cancelled; the connection closes as soon as the printer lets go.</source>
        <translation>%1 : annulé ; la connexion se ferme dès que l'imprimante la libère.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Field information</source>
        <translation>Informations sur le champ</translation>
    </message>
    <message>
        <source>Unrecognised edit type</source>
        <translation>Type de modification inconnu</translation>
    </message>
    <message>
        <source>New value:</source>
        <translation>Nouvelle valeur :</translation>
    </message>
    <message>
        <source>Looking for printers</source>
        <translation>Recherche des imprimantes</translation>
    </message>
    <message>
        <source>Printers found on USB: %1.</source>
        <translation>Imprimantes trouvées sur USB : %1.</translation>
    </message>
    <message>
        <source>First printer on USB</source>
        <translation>Première imprimante USB</translation>
    </message>
    <message>
        <source>USB: %1</source>
        <translation>USB: %1</translation>
    </message>
    <message>
        <source>Network: %1</source>
        <translation>Réseau : %1</translation>
    </message>
    <message>
        <source>CUPS queue: %1</source>
        <translation>File CUPS : %1</translation>
    </message>
    <message>
        <source>Add a network printer...</source>
        <translation>Ajouter une imprimante réseau...</translation>
    </message>
    <message>
        <source>Look for printers again</source>
        <translation>Rechercher à nouveau les imprimantes</translation>
    </message>
    <message>
        <source>Wait for the printer to finish: %1.</source>
        <translation>Attendez que l'imprimante ait fini : %1.</translation>
    </message>
    <message>
        <source>Add a network printer</source>
        <translation>Ajouter une imprimante réseau</translation>
    </message>
    <message>
        <source>The printer's address, HOST or HOST:PORT (port 9100 unless given):</source>
        <translation>Adresse de l'imprimante, HÔTE ou HÔTE:PORT (port 9100 par défaut) :</translation>
    </message>
    <message>
        <source>Added the network printer %1.</source>
        <translation>Imprimante réseau %1 ajoutée.</translation>
    </message>
    <message>
        <source>No printer found on USB. Connect a Kalyx printer by USB and switch it on, add a network printer in the list beside Print, or try the simulator: kalyxsim --usb -- kalyxprntool</source>
        <translation>Aucune imprimante trouvée sur USB. Branchez une imprimante Kalyx en USB et allumez-la, ajoutez une imprimante réseau dans la liste à côté d'Imprimer, ou essayez le simulateur : kalyxsim --usb -- kalyxprntool</translation>
    </message>
    <message>
        <source>Couldn't save PRN.</source>
        <translation>Impossible d'enregistrer le fichier PRN.</translation>
    </message>
    <message>
        <source>Printing...</source>
        <translation>Impression...</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Impression</translation>
    </message>
    <message>
        <source>CUPS queue %1</source>
        <translation>file CUPS %1</translation>
    </message>
    <message>
        <source>The print was abandoned.</source>
        <translation>L'impression a été abandonnée.</translation>
    </message>
    <message>
        <source>Could not reach %1.</source>
        <translation>Impossible de joindre %1.</translation>
    </message>
    <message>
        <source>Could not open connection to printer.</source>
        <translation>Impossible d'ouvrir la connexion à l'imprimante.</translation>
    </message>
    <message>
        <source>The job did not reach %1.</source>
        <translation>Le travail n'a pas atteint %1.</translation>
    </message>
    <message>
        <source>%1 did not take the job: %2</source>
        <translation>%1 n'a pas accepté le travail : %2</translation>
    </message>
    <message>
        <source>Failed to send job to printer.</source>
        <translation>Échec de l'envoi du travail à l'imprimante.</translation>
    </message>
    <message>
        <source>Sent %1 bytes to %2 as job %3.</source>
        <translation>%1 octets envoyés à %2, travail %3.</translation>
    </message>
    <message>
        <source>Sent %1 bytes to %2.</source>
        <translation>%1 octets envoyés à %2.</translation>
    </message>
    <message>
        <source>Choose image file</source>
        <translation>Choisir un fichier image</translation>
    </message>
    <message>
        <source>Image files (*.bmp *.gif *.jpg *.jpeg *.png *.pbm *.pgm *.ppm *tif *.tiff *.xbm *.xpm)</source>
        <translation>Fichiers image (*.bmp *.gif *.jpg *.jpeg *.png *.pbm *.pgm *.ppm *tif *.tiff *.xbm *.xpm)</translation>
    </message>
    <message>
        <source>Couldn't save image.</source>
        <translation>Impossible d'enregistrer l'image.</translation>
    </message>
</context>
<context>
    <name>PrinterChoice</name>
    <message>
        <source>Give the printer's address as HOST or HOST:PORT.</source>
        <translation>Donnez l'adresse sous la forme HÔTE ou HÔTE:PORT.</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535.</source>
        <translation>Le port doit être un nombre de 1 à 65535.</translation>
    </message>
</context>
<context>
    <name>PrinterConnection</name>
    <message>
        <source>USB printer %1</source>
        <translation>imprimante USB %1</translation>
    </message>
    <message>
        <source>network printer %1</source>
        <translation>imprimante réseau %1</translation>
    </message>
</context>
<context>
    <name>PrinterFacts</name>
    <message>
        <source>no failure</source>
        <translation>aucune erreur</translation>
    </message>
    <message>
        <source>the connection is closed</source>
        <translation>la connexion est fermée</translation>
    </message>
    <message>
        <source>the request cannot be sent</source>
        <translation>la requête ne peut pas être envoyée</translation>
    </message>
    <message>
        <source>the request could not be sent</source>
        <translation>la requête n'a pas pu être envoyée</translation>
    </message>
    <message>
        <source>the printer took no data within the time allowed</source>
        <translation>l'imprimante n'a accepté aucune donnée dans le délai</translation>
    </message>
    <message>
        <source>the answer could not be received</source>
        <translation>la réponse n'a pas pu être reçue</translation>
    </message>
    <message>
        <source>the printer did not answer in time (timed out)</source>
        <translation>l'imprimante n'a pas répondu à temps (délai dépassé)</translation>
    </message>
    <message>
        <source>the printer closed the connection</source>
        <translation>l'imprimante a fermé la connexion</translation>
    </message>
    <message>
        <source>the answer was not understood</source>
        <translation>la réponse n'a pas été comprise</translation>
    </message>
    <message>
        <source>the answer's checksum is wrong</source>
        <translation>la somme de contrôle de la réponse est fausse</translation>
    </message>
    <message>
        <source>the answer is too large</source>
        <translation>la réponse est trop grande</translation>
    </message>
    <message>
        <source>the printer refused</source>
        <translation>l'imprimante a refusé</translation>
    </message>
    <message>
        <source>there was not enough memory</source>
        <translation>la mémoire n'a pas suffi</translation>
    </message>
    <message>
        <source>the answer stopped coming (timed out)</source>
        <translation>la réponse s'est interrompue (délai dépassé)</translation>
    </message>
    <message>
        <source>the exchange failed</source>
        <translation>l'échange a échoué</translation>
    </message>
</context>
<context>
    <name>PrinterPage</name>
    <message>
        <source>Initialise</source>
        <translation>Initialiser</translation>
    </message>
    <message>
        <source>To standby</source>
        <translation>En attente</translation>
    </message>
    <message>
        <source>To contact encoder</source>
        <translation>Vers l'encodeur à contact</translation>
    </message>
    <message>
        <source>To contactless encoder</source>
        <translation>Vers l'encodeur sans contact</translation>
    </message>
    <message>
        <source>Flip</source>
        <translation>Retourner</translation>
    </message>
    <message>
        <source>Eject</source>
        <translation>Éjecter</translation>
    </message>
    <message>
        <source>Card jam</source>
        <translation>Bourrage de carte</translation>
    </message>
    <message>
        <source>Ribbon out</source>
        <translation>Ruban épuisé</translation>
    </message>
    <message>
        <source>Feeder empty</source>
        <translation>Chargeur vide</translation>
    </message>
    <message>
        <source>Cover open</source>
        <translation>Capot ouvert</translation>
    </message>
    <message>
        <source>Magnetic encoding failed</source>
        <translation>Échec de l'encodage magnétique</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Éteindre</translation>
    </message>
    <message>
        <source>Reboot</source>
        <translation>Redémarrer</translation>
    </message>
    <message>
        <source>Fast restart</source>
        <translation>Redémarrage rapide</translation>
    </message>
    <message>
        <source>Shipped settings</source>
        <translation>Réglages d'usine</translation>
    </message>
    <message>
        <source>Default settings</source>
        <translation>Réglages par défaut</translation>
    </message>
    <message>
        <source>in the feeder</source>
        <translation>dans le chargeur</translation>
    </message>
    <message>
        <source>at standby</source>
        <translation>en attente</translation>
    </message>
    <message>
        <source>in the encoder module</source>
        <translation>dans le module d'encodage</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>inconnue</translation>
    </message>
    <message>
        <source>the file is larger than 100 MiB</source>
        <translation>le fichier dépasse 100 Mio</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Imprimante</translation>
    </message>
    <message>
        <source>Chosen:</source>
        <translation>Choisie :</translation>
    </message>
    <message>
        <source>Model:</source>
        <translation>Modèle :</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Numéro de série :</translation>
    </message>
    <message>
        <source>Firmware:</source>
        <translation>Micrologiciel :</translation>
    </message>
    <message>
        <source>Card:</source>
        <translation>Carte :</translation>
    </message>
    <message>
        <source>Error:</source>
        <translation>Erreur :</translation>
    </message>
    <message>
        <source>Cards in hopper:</source>
        <translation>Cartes dans le magasin :</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Actualiser</translation>
    </message>
    <message>
        <source>Actions</source>
        <translation>Actions</translation>
    </message>
    <message>
        <source>Clear the error:</source>
        <translation>Effacer l'erreur :</translation>
    </message>
    <message>
        <source>Retry the job</source>
        <translation>Reprendre le travail</translation>
    </message>
    <message>
        <source>Cancel the job</source>
        <translation>Annuler le travail</translation>
    </message>
    <message>
        <source>Move the card:</source>
        <translation>Déplacer la carte :</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Déplacer</translation>
    </message>
    <message>
        <source>Force an error (service):</source>
        <translation>Provoquer une erreur (service) :</translation>
    </message>
    <message>
        <source>Force</source>
        <translation>Provoquer</translation>
    </message>
    <message>
        <source>Power:</source>
        <translation>Alimentation :</translation>
    </message>
    <message>
        <source>Power down...</source>
        <translation>Éteindre...</translation>
    </message>
    <message>
        <source>Settings:</source>
        <translation>Réglages :</translation>
    </message>
    <message>
        <source>Store settings</source>
        <translation>Mémoriser les réglages</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Charger</translation>
    </message>
    <message>
        <source>Service:</source>
        <translation>Service :</translation>
    </message>
    <message>
        <source>Save report...</source>
        <translation>Enregistrer le rapport...</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Calibrer</translation>
    </message>
    <message>
        <source>Slot </source>
        <translation>Emplacement </translation>
    </message>
    <message>
        <source>Glintmark:</source>
        <translation>Glintmark :</translation>
    </message>
    <message>
        <source>Upload picture...</source>
        <translation>Envoyer une image...</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Update from a file:</source>
        <translation>Mettre à jour depuis un fichier :</translation>
    </message>
    <message>
        <source>Software...</source>
        <translation>Logiciel...</translation>
    </message>
    <message>
        <source>Capability...</source>
        <translation>Capacités...</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Réglages</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Réglage</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Values in black can be changed: edit them, then write them.</source>
        <translation>Les valeurs en noir sont modifiables : modifiez-les, puis écrivez-les.</translation>
    </message>
    <message>
        <source>&amp;Write settings</source>
        <translation>É&amp;crire les réglages</translation>
    </message>
    <message>
        <source>First printer on USB</source>
        <translation>Première imprimante USB</translation>
    </message>
    <message>
        <source>A CUPS queue takes print jobs only; choose a printer to see its state.</source>
        <translation>Une file CUPS n'accepte que des travaux ; choisissez une imprimante pour voir son état.</translation>
    </message>
    <message>
        <source>Could not open connection to printer.</source>
        <translation>Impossible d'ouvrir la connexion à l'imprimante.</translation>
    </message>
    <message>
        <source>Check that it is switched on and connected, or choose another printer.</source>
        <translation>Vérifiez qu'elle est allumée et connectée, ou choisissez une autre imprimante.</translation>
    </message>
    <message>
        <source>%1: no answer from %2: %3.</source>
        <translation>%1 : pas de réponse de %2 : %3.</translation>
    </message>
    <message>
        <source>%1: the printer refused: %2</source>
        <translation>%1 : l'imprimante refuse : %2</translation>
    </message>
    <message>
        <source>%1: done.</source>
        <translation>%1 : terminé.</translation>
    </message>
    <message>
        <source>Wait for the printer to finish: %1.</source>
        <translation>Attendez que l'imprimante ait fini : %1.</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Actualiser</translation>
    </message>
    <message>
        <source>none</source>
        <translation>aucune</translation>
    </message>
    <message>
        <source>No setting was changed.</source>
        <translation>Aucun réglage n'a été modifié.</translation>
    </message>
    <message>
        <source>Write settings</source>
        <translation>Écrire les réglages</translation>
    </message>
    <message>
        <source>Clear the error</source>
        <translation>Effacer l'erreur</translation>
    </message>
    <message>
        <source>Move the card</source>
        <translation>Déplacer la carte</translation>
    </message>
    <message>
        <source>The card is %1.</source>
        <translation>La carte est %1.</translation>
    </message>
    <message>
        <source>Force an error</source>
        <translation>Provoquer une erreur</translation>
    </message>
    <message>
        <source>Power down</source>
        <translation>Éteindre</translation>
    </message>
    <message>
        <source>%1: %2?</source>
        <translation>%1: %2?</translation>
    </message>
    <message>
        <source>Load settings</source>
        <translation>Charger les réglages</translation>
    </message>
    <message>
        <source>Save the printer's report</source>
        <translation>Enregistrer le rapport de l'imprimante</translation>
    </message>
    <message>
        <source>Reports (*.txt);;All files (*)</source>
        <translation>Rapports (*.txt);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Save report</source>
        <translation>Enregistrer le rapport</translation>
    </message>
    <message>
        <source>Report saved to %1 (%2 bytes).</source>
        <translation>Rapport enregistré dans %1 (%2 octets).</translation>
    </message>
    <message>
        <source>Couldn't save the report to %1.</source>
        <translation>Impossible d'enregistrer le rapport dans %1.</translation>
    </message>
    <message>
        <source>Calibrated: %1</source>
        <translation>Calibré : %1</translation>
    </message>
    <message>
        <source>Choose a Glintmark picture</source>
        <translation>Choisir une image Glintmark</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Impossible de lire %1 : %2</translation>
    </message>
    <message>
        <source>Upload Glintmark</source>
        <translation>Envoyer le Glintmark</translation>
    </message>
    <message>
        <source>Glintmark preview</source>
        <translation>Aperçu du Glintmark</translation>
    </message>
    <message>
        <source>(%1 bytes, not a picture)</source>
        <translation>(%1 octets, pas une image)</translation>
    </message>
    <message>
        <source>Choose a software image</source>
        <translation>Choisir une image logicielle</translation>
    </message>
    <message>
        <source>Choose a capability file</source>
        <translation>Choisir un fichier de capacités</translation>
    </message>
    <message>
        <source>Update the software of %1 from %2?</source>
        <translation>Mettre à jour le logiciel de %1 avec %2 ?</translation>
    </message>
    <message>
        <source>Update the capability of %1 from %2?</source>
        <translation>Mettre à jour les capacités de %1 avec %2 ?</translation>
    </message>
    <message>
        <source>Update the printer</source>
        <translation>Mettre à jour l'imprimante</translation>
    </message>
    <message>
        <source>Update software</source>
        <translation>Mise à jour du logiciel</translation>
    </message>
    <message>
        <source>Update capability</source>
        <translation>Mise à jour des capacités</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Parse Failure</source>
        <translation>Erreur de lecture</translation>
    </message>
</context>
</TS>