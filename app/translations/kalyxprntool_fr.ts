<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="fr_FR">
<context>
    <name>BatchOutputs</name>
    <message>
        <source>kalyxprn was not found</source>
        <translation>kalyxprn est introuvable</translation>
    </message>
    <message>
        <source>the journal could not be read</source>
        <translation>le journal n'a pas pu être lu</translation>
    </message>
</context>
<context>
    <name>BatchPage</name>
    <message>
        <source>Open data...</source>
        <translation>Ouvrir des données...</translation>
    </message>
    <message>
        <source>Open a data file</source>
        <translation>Ouvrir un fichier de données</translation>
    </message>
    <message>
        <source>No data file: the design shows its field names.</source>
        <translation>Aucun fichier de données : le modèle montre ses noms de champ.</translation>
    </message>
    <message>
        <source>Only rows with problems</source>
        <translation>Seulement les lignes à problèmes</translation>
    </message>
    <message>
        <source>Proof...</source>
        <translation>Épreuve...</translation>
    </message>
    <message>
        <source>Write a proof sheet</source>
        <translation>Écrire une planche d'épreuve</translation>
    </message>
    <message>
        <source>Export jobs...</source>
        <translation>Exporter les travaux...</translation>
    </message>
    <message>
        <source>Write the jobs of the selected rows</source>
        <translation>Écrire les travaux des lignes choisies</translation>
    </message>
    <message>
        <source>Data rows</source>
        <translation>Lignes de données</translation>
    </message>
    <message>
        <source>K plane only</source>
        <translation>Plan K seul</translation>
    </message>
    <message>
        <source>Show the K plane only</source>
        <translation>Afficher seulement le plan K</translation>
    </message>
    <message>
        <source>Front of the selected row</source>
        <translation>Recto de la ligne choisie</translation>
    </message>
    <message>
        <source>Back of the selected row</source>
        <translation>Verso de la ligne choisie</translation>
    </message>
    <message>
        <source>Data files (*.csv *.tsv *.txt);;All files (*)</source>
        <translation>Fichiers de données (*.csv *.tsv *.txt);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>more than %1 rows: use kalyxprn batch for this file</source>
        <translation>plus de %1 lignes : utilisez kalyxprn batch pour ce fichier</translation>
    </message>
    <message>
        <source>%1 could not be read: %2</source>
        <translation>%1 n'a pas pu être lu : %2</translation>
    </message>
    <message>
        <source>Row</source>
        <translation>Ligne</translation>
    </message>
    <message>
        <source>State</source>
        <translation>État</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>%1 rows, %2 with problems</source>
        <translation>%1 lignes, %2 avec problèmes</translation>
    </message>
    <message>
        <source>Save the design first</source>
        <translation>Enregistrez d'abord le modèle</translation>
    </message>
    <message>
        <source>kalyxprn makes the cards from the saved design: save the design on the Design page first.</source>
        <translation>kalyxprn fait les cartes à partir du modèle enregistré : enregistrez d'abord le modèle dans l'onglet Modèle.</translation>
    </message>
    <message>
        <source>%1...</source>
        <translation>%1...</translation>
    </message>
    <message>
        <source>%1: done.</source>
        <translation>%1 : terminé.</translation>
    </message>
    <message>
        <source>%1 failed.</source>
        <translation>%1 a échoué.</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Proof sheet</source>
        <translation>Planche d'épreuve</translation>
    </message>
    <message>
        <source>Export jobs to</source>
        <translation>Exporter les travaux vers</translation>
    </message>
    <message>
        <source>Export of jobs</source>
        <translation>Export des travaux</translation>
    </message>
    <message>
        <source>Print...</source>
        <translation>Imprimer...</translation>
    </message>
    <message>
        <source>Print the batch</source>
        <translation>Imprimer la série</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Impression</translation>
    </message>
    <message>
        <source>Earlier batch of this data</source>
        <translation>Série précédente de ces données</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Reprendre</translation>
    </message>
    <message>
        <source>Resume the earlier batch</source>
        <translation>Reprendre la série précédente</translation>
    </message>
    <message>
        <source>Cards of the batch done</source>
        <translation>Cartes de la série terminées</translation>
    </message>
    <message>
        <source>Progress of the batch</source>
        <translation>Avancement de la série</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Pause the batch</source>
        <translation>Mettre la série en pause</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Cancel the batch</source>
        <translation>Annuler la série</translation>
    </message>
    <message>
        <source>Printers of the batch</source>
        <translation>Imprimantes de la série</translation>
    </message>
    <message>
        <source>Resume the batch</source>
        <translation>Reprendre la série</translation>
    </message>
    <message>
        <source>Prints the %1 selected rows; rows with problems are left out.</source>
        <translation>Imprime les %1 lignes choisies ; les lignes à problèmes sont omises.</translation>
    </message>
    <message>
        <source>Prints every row without problems: %1 cards.</source>
        <translation>Imprime chaque ligne sans problème : %1 cartes.</translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation>Démarrage...</translation>
    </message>
    <message>
        <source>Pausing: the cards in flight finish...</source>
        <translation>Mise en pause : les cartes en cours se terminent...</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Annulé.</translation>
    </message>
    <message>
        <source>Cancelling: the cards in flight finish...</source>
        <translation>Annulation : les cartes en cours se terminent...</translation>
    </message>
    <message>
        <source>printing row %1</source>
        <translation>impression de la ligne %1</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>envoyée</translation>
    </message>
    <message>
        <source>completed</source>
        <translation>terminée</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>échec : %1</translation>
    </message>
    <message>
        <source>uncertain: %1</source>
        <translation>incertain : %1</translation>
    </message>
    <message>
        <source>printed before</source>
        <translation>déjà imprimée</translation>
    </message>
    <message>
        <source>%1 of %2 cards</source>
        <translation>%1 cartes sur %2</translation>
    </message>
    <message>
        <source>, %1 left</source>
        <translation>, reste %1</translation>
    </message>
    <message>
        <source>out of the pool: %1</source>
        <translation>retirée du groupe : %1</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>inactive</translation>
    </message>
    <message>
        <source>%1: %2 printed, %3</source>
        <translation>%1 : %2 imprimées, %3</translation>
    </message>
    <message>
        <source>Paused after %1 of %2 cards.</source>
        <translation>En pause après %1 cartes sur %2.</translation>
    </message>
    <message>
        <source>Cancelled after %1 of %2 cards; the journal keeps what printed.</source>
        <translation>Annulé après %1 cartes sur %2 ; le journal garde ce qui a été imprimé.</translation>
    </message>
    <message>
        <source>Done: %1 cards printed.</source>
        <translation>Terminé : %1 cartes imprimées.</translation>
    </message>
    <message>
        <source>Stopped: %1 printed, %2 failed, %3 may have printed.</source>
        <translation>Arrêté : %1 imprimées, %2 en échec, %3 peut-être imprimées.</translation>
    </message>
    <message>
        <source>The journal %1 cannot be read: %2</source>
        <translation>Le journal %1 est illisible : %2</translation>
    </message>
    <message>
        <source>may have printed: no outcome recorded</source>
        <translation>peut-être imprimée : aucun résultat enregistré</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>échec</translation>
    </message>
    <message>
        <source>not printed: the row has problems</source>
        <translation>non imprimée : la ligne a des problèmes</translation>
    </message>
    <message>
        <source>may have printed</source>
        <translation>peut-être imprimée</translation>
    </message>
    <message>
        <source>printed (confirmed)</source>
        <translation>imprimée (confirmé)</translation>
    </message>
    <message>
        <source>not printed (confirmed): prints again</source>
        <translation>non imprimée (confirmé) : sera réimprimée</translation>
    </message>
    <message>
        <source>to print again</source>
        <translation>à réimprimer</translation>
    </message>
    <message>
        <source>An earlier batch of this data printed %1 of %2 cards; %3 left%4. Resume prints the rest, each card once.</source>
        <translation>Une série précédente de ces données a imprimé %1 cartes sur %2 ; il en reste %3%4. Reprendre imprime le reste, chaque carte une fois.</translation>
    </message>
    <message>
        <source>, %1 of them may have printed</source>
        <translation>, dont %1 peut-être imprimées</translation>
    </message>
    <message>
        <source>Every card of the last batch of this data printed (%1).</source>
        <translation>Toutes les cartes de la dernière série de ces données sont imprimées (%1).</translation>
    </message>
    <message>
        <source>A batch is printing</source>
        <translation>Une série est en cours d'impression</translation>
    </message>
    <message>
        <source>Stop the batch after the cards in flight? The journal keeps what printed; open the design and data again to resume.</source>
        <translation>Arrêter la série après les cartes en cours ? Le journal garde ce qui a été imprimé ; rouvrez le modèle et les données pour reprendre.</translation>
    </message>
    <message>
        <source>Waiting for the cards in flight...</source>
        <translation>Attente des cartes en cours...</translation>
    </message>
    <message>
        <source>Print the rows to a printer or a pool of printers (%1)</source>
        <translation>Imprimer les lignes sur une imprimante ou un groupe d'imprimantes (%1)</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>envoi</translation>
    </message>
    <message>
        <source>to %1</source>
        <translation>vers %1</translation>
    </message>
    <message>
        <source>The design or the data changed</source>
        <translation>Le modèle ou les données ont changé</translation>
    </message>
    <message>
        <source>The design or the data changed since this data's batch began. Print the rest with the files as they are now? Cards printed before stay printed; rows are matched by their key.</source>
        <translation>Le modèle ou les données ont changé depuis le début de la série de ces données. Imprimer le reste avec les fichiers tels qu'ils sont ? Les cartes déjà imprimées le restent ; les lignes sont reconnues par leur clé.</translation>
    </message>
    <message>
        <source>a batch is printing from %1: cancel it or wait for it to end</source>
        <translation>une série de %1 est en cours d'impression : annulez-la ou attendez sa fin</translation>
    </message>
    <message>
        <source>waiting for another printer</source>
        <translation>attend une autre imprimante</translation>
    </message>
</context>
<context>
    <name>BatchPrintDialog</name>
    <message>
        <source>Tick a printer.</source>
        <translation>Cochez une imprimante.</translation>
    </message>
    <message>
        <source>A CUPS queue prints alone: its scheduler shares the cards among its printers.</source>
        <translation>Une file CUPS imprime seule : son ordonnanceur répartit les cartes entre ses imprimantes.</translation>
    </message>
    <message>
        <source>The USB printer %1 is not attached.</source>
        <translation>L'imprimante USB %1 n'est pas branchée.</translation>
    </message>
    <message>
        <source>Print the batch</source>
        <translation>Imprimer la série</translation>
    </message>
    <message>
        <source>Print to (tick several printers to share the cards among them):</source>
        <translation>Imprimer sur (cochez plusieurs imprimantes pour leur répartir les cartes) :</translation>
    </message>
    <message>
        <source>Printers of the batch</source>
        <translation>Imprimantes de la série</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimer</translation>
    </message>
    <message>
        <source>Do not print</source>
        <translation>Ne pas imprimer</translation>
    </message>
</context>
<context>
    <name>BatchUncertainDialog</name>
    <message>
        <source>Cards that may have printed</source>
        <translation>Cartes peut-être imprimées</translation>
    </message>
    <message>
        <source>The printer broke off while these cards were being sent: they may have printed. Look at the printed cards, then say for each whether it printed. A card that did not print prints with the rest of the batch.</source>
        <translation>L'imprimante s'est interrompue pendant l'envoi de ces cartes : elles ont peut-être été imprimées. Regardez les cartes imprimées, puis indiquez pour chacune si elle a été imprimée. Une carte non imprimée sera imprimée avec le reste de la série.</translation>
    </message>
    <message>
        <source>&lt;b&gt;Row&lt;/b&gt;</source>
        <translation>&lt;b&gt;Ligne&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Printer&lt;/b&gt;</source>
        <translation>&lt;b&gt;Imprimante&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Did it print?&lt;/b&gt;</source>
        <translation>&lt;b&gt;Imprimée ?&lt;/b&gt;</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Choisir...</translation>
    </message>
    <message>
        <source>It printed</source>
        <translation>Elle a été imprimée</translation>
    </message>
    <message>
        <source>It did not print: print it again</source>
        <translation>Elle n'a pas été imprimée : la réimprimer</translation>
    </message>
    <message>
        <source>Did row %1 (%2) print?</source>
        <translation>La ligne %1 (%2) a-t-elle été imprimée ?</translation>
    </message>
    <message>
        <source>Record the answers</source>
        <translation>Enregistrer les réponses</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Plus tard</translation>
    </message>
    <message>
        <source>Answer later</source>
        <translation>Répondre plus tard</translation>
    </message>
</context>
<context>
    <name>CupsQueues</name>
    <message>
        <source>This system has no CUPS.</source>
        <translation>Ce système n'a pas CUPS.</translation>
    </message>
</context>
<context>
    <name>DesignCanvas</name>
    <message>
        <source>Front of the card</source>
        <translation>Recto de la carte</translation>
    </message>
    <message>
        <source>Back of the card</source>
        <translation>Verso de la carte</translation>
    </message>
    <message>
        <source>This design prints nothing on this side.</source>
        <translation>Ce modèle n'imprime rien sur cette face.</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Déplacer</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Redimensionner</translation>
    </message>
</context>
<context>
    <name>DesignDocument</name>
    <message>
        <source>The design would not open again: %1</source>
        <translation>Le modèle ne pourrait plus être ouvert : %1</translation>
    </message>
</context>
<context>
    <name>DesignPage</name>
    <message>
        <source>Text</source>
        <translation>Texte</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Barcode</source>
        <translation>Code-barres</translation>
    </message>
    <message>
        <source>Rectangle</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Ligne</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Rétablir</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z</source>
        <translation>Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Add an object</source>
        <translation>Ajouter un objet</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Delete the object</source>
        <translation>Supprimer l'objet</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Avancer</translation>
    </message>
    <message>
        <source>Draw the object later</source>
        <translation>Dessiner l'objet plus tard</translation>
    </message>
    <message>
        <source>Backward</source>
        <translation>Reculer</translation>
    </message>
    <message>
        <source>Draw the object earlier</source>
        <translation>Dessiner l'objet plus tôt</translation>
    </message>
    <message>
        <source>K plane only</source>
        <translation>Plan K seul</translation>
    </message>
    <message>
        <source>Show the K plane only</source>
        <translation>Afficher seulement le plan K</translation>
    </message>
    <message>
        <source>The black resin panel alone, as it prints: one bit per dot</source>
        <translation>Le panneau de résine noire seul, tel qu'il s'imprime : un bit par point</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Save the design</source>
        <translation>Enregistrer le modèle</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>Enregistrer sous...</translation>
    </message>
    <message>
        <source>Save the design as</source>
        <translation>Enregistrer le modèle sous</translation>
    </message>
    <message>
        <source>Front</source>
        <translation>Recto</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Verso</translation>
    </message>
    <message>
        <source>Object</source>
        <translation>Objet</translation>
    </message>
    <message>
        <source>Problems of the design</source>
        <translation>Problèmes du modèle</translation>
    </message>
    <message>
        <source>nothing selected</source>
        <translation>aucune sélection</translation>
    </message>
    <message>
        <source>No problems.</source>
        <translation>Aucun problème.</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>Ajouter : %1</translation>
    </message>
    <message>
        <source>Drawing order</source>
        <translation>Ordre de dessin</translation>
    </message>
    <message>
        <source>Card designs (*.card.json)</source>
        <translation>Modèles de carte (*.card.json)</translation>
    </message>
</context>
<context>
    <name>DesignPropertyPanel</name>
    <message>
        <source>Text:</source>
        <translation>Texte :</translation>
    </message>
    <message>
        <source>Template</source>
        <translation>Gabarit</translation>
    </message>
    <message>
        <source>Edit text</source>
        <translation>Modifier le texte</translation>
    </message>
    <message>
        <source>${Column} takes the value of a data column</source>
        <translation>${Colonne} prend la valeur d'une colonne de données</translation>
    </message>
    <message>
        <source>Font:</source>
        <translation>Police :</translation>
    </message>
    <message>
        <source>Font family</source>
        <translation>Famille de police</translation>
    </message>
    <message>
        <source>Font size:</source>
        <translation>Taille de police :</translation>
    </message>
    <message>
        <source>Font size</source>
        <translation>Taille de police</translation>
    </message>
    <message>
        <source> pt</source>
        <translation> pt</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>Gras</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>Italique</translation>
    </message>
    <message>
        <source>Colour:</source>
        <translation>Couleur :</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Couleur</translation>
    </message>
    <message>
        <source>Align:</source>
        <translation>Alignement :</translation>
    </message>
    <message>
        <source>Alignment</source>
        <translation>Alignement</translation>
    </message>
    <message>
        <source>left</source>
        <translation>à gauche</translation>
    </message>
    <message>
        <source>centre</source>
        <translation>centré</translation>
    </message>
    <message>
        <source>right</source>
        <translation>à droite</translation>
    </message>
    <message>
        <source>Fit:</source>
        <translation>Ajustement :</translation>
    </message>
    <message>
        <source>Text fit</source>
        <translation>Ajustement du texte</translation>
    </message>
    <message>
        <source>none (cut off)</source>
        <translation>aucun (coupé)</translation>
    </message>
    <message>
        <source>shrink</source>
        <translation>réduire</translation>
    </message>
    <message>
        <source>wrap</source>
        <translation>renvoyer à la ligne</translation>
    </message>
    <message>
        <source>shrink and wrap</source>
        <translation>réduire et renvoyer à la ligne</translation>
    </message>
    <message>
        <source>Smallest size:</source>
        <translation>Taille minimale :</translation>
    </message>
    <message>
        <source>Smallest font size</source>
        <translation>Taille de police minimale</translation>
    </message>
    <message>
        <source>Shrinking stops at this size</source>
        <translation>La réduction s'arrête à cette taille</translation>
    </message>
    <message>
        <source>Most lines:</source>
        <translation>Lignes au plus :</translation>
    </message>
    <message>
        <source>Most lines</source>
        <translation>Nombre maximal de lignes</translation>
    </message>
    <message>
        <source>as many as fit</source>
        <translation>autant qu'il en tient</translation>
    </message>
    <message>
        <source>File:</source>
        <translation>Fichier :</translation>
    </message>
    <message>
        <source>Picture file</source>
        <translation>Fichier image</translation>
    </message>
    <message>
        <source>A file name; photos/${ID}.jpg takes it from the data row</source>
        <translation>Un nom de fichier ; photos/${ID}.jpg le prend dans la ligne de données</translation>
    </message>
    <message>
        <source>Picture fit</source>
        <translation>Ajustement de l'image</translation>
    </message>
    <message>
        <source>cover (fills the box, cut to it)</source>
        <translation>couvrir (remplit le cadre, rogné)</translation>
    </message>
    <message>
        <source>contain (all of it, centred)</source>
        <translation>contenir (en entier, centré)</translation>
    </message>
    <message>
        <source>Symbology:</source>
        <translation>Symbologie :</translation>
    </message>
    <message>
        <source>Symbology</source>
        <translation>Symbologie</translation>
    </message>
    <message>
        <source>Data:</source>
        <translation>Données :</translation>
    </message>
    <message>
        <source>Barcode data</source>
        <translation>Données du code-barres</translation>
    </message>
    <message>
        <source>Module:</source>
        <translation>Module :</translation>
    </message>
    <message>
        <source>Module size</source>
        <translation>Taille du module</translation>
    </message>
    <message>
        <source> dots</source>
        <translation> points</translation>
    </message>
    <message>
        <source>The width of the narrowest bar, in printer dots</source>
        <translation>La largeur de la barre la plus fine, en points d'imprimante</translation>
    </message>
    <message>
        <source>Quiet zone</source>
        <translation>Zone de silence</translation>
    </message>
    <message>
        <source>Human-readable text</source>
        <translation>Texte lisible</translation>
    </message>
    <message>
        <source>The data written under a linear barcode</source>
        <translation>Les données écrites sous un code-barres linéaire</translation>
    </message>
    <message>
        <source>Fill:</source>
        <translation>Remplissage :</translation>
    </message>
    <message>
        <source>Fill colour</source>
        <translation>Couleur de remplissage</translation>
    </message>
    <message>
        <source>Stroke:</source>
        <translation>Contour :</translation>
    </message>
    <message>
        <source>Stroke colour</source>
        <translation>Couleur du contour</translation>
    </message>
    <message>
        <source>Stroke width:</source>
        <translation>Épaisseur du contour :</translation>
    </message>
    <message>
        <source>Stroke width</source>
        <translation>Épaisseur du contour</translation>
    </message>
    <message>
        <source> mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <source>Ink:</source>
        <translation>Encre :</translation>
    </message>
    <message>
        <source>Ink</source>
        <translation>Encre</translation>
    </message>
    <message>
        <source>automatic</source>
        <translation>automatique</translation>
    </message>
    <message>
        <source>black (K)</source>
        <translation>noir (K)</translation>
    </message>
    <message>
        <source>colour</source>
        <translation>couleur</translation>
    </message>
    <message>
        <source>Black (K) prints with the black resin panel: sharp, one bit per dot, read by infrared scanners</source>
        <translation>Noir (K) s'imprime avec le panneau de résine noire : net, un bit par point, lisible par les lecteurs infrarouges</translation>
    </message>
    <message>
        <source>Only if:</source>
        <translation>Seulement si :</translation>
    </message>
    <message>
        <source>Printed only if</source>
        <translation>Imprimé seulement si</translation>
    </message>
    <message>
        <source>Condition</source>
        <translation>Condition</translation>
    </message>
    <message>
        <source>Printed only when this template is not empty</source>
        <translation>Imprimé seulement si ce gabarit n'est pas vide</translation>
    </message>
    <message>
        <source>X:</source>
        <translation>X :</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Déplacer</translation>
    </message>
    <message>
        <source>Y:</source>
        <translation>Y :</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Largeur :</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Redimensionner</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Hauteur :</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>Kind:</source>
        <translation>Type :</translation>
    </message>
    <message>
        <source>nothing selected</source>
        <translation>aucune sélection</translation>
    </message>
    <message>
        <source>#rrggbb or a colour name</source>
        <translation>#rrggbb ou un nom de couleur</translation>
    </message>
    <message>
        <source>#rrggbb, or empty for none</source>
        <translation>#rrggbb, ou vide pour aucune</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the picture file</source>
        <translation>Choisir le fichier image</translation>
    </message>
    <message>
        <source>Choose: %1</source>
        <translation>Choisir : %1</translation>
    </message>
    <message>
        <source>Choose a picture</source>
        <translation>Choisir une image</translation>
    </message>
    <message>
        <source>Pictures (*.png *.jpg *.jpeg *.svg);;All files (*)</source>
        <translation>Images (*.png *.jpg *.jpeg *.svg);;Tous les fichiers (*)</translation>
    </message>
</context>
<context>
    <name>DesignView</name>
    <message>
        <source>Card design</source>
        <translation>Modèle de carte</translation>
    </message>
    <message>
        <source>Design</source>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>Batch</source>
        <translation>Série</translation>
    </message>
    <message>
        <source>Unsaved changes</source>
        <translation>Modifications non enregistrées</translation>
    </message>
    <message>
        <source>The design %1 has changes that are not saved. Save them?</source>
        <translation>Le modèle %1 a des modifications non enregistrées. Les enregistrer ?</translation>
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
        <source>No printer found on USB. Connect a Kalyx printer by USB and switch it on, add a network printer in the list beside Print, or try the simulator: start kalyxsim --port 9100 and add 127.0.0.1:9100 in that list</source>
        <translation>Aucune imprimante trouvée sur USB. Branchez une imprimante Kalyx en USB et allumez-la, ajoutez une imprimante réseau dans la liste à côté d'Imprimer, ou essayez le simulateur : lancez kalyxsim --port 9100 et ajoutez 127.0.0.1:9100 dans cette liste</translation>
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
    <message>
        <source>PRNs and card designs (*.prn *.card.json);;PRNs (*.prn);;Card designs (*.card.json)</source>
        <translation>Fichiers PRN et modèles de carte (*.prn *.card.json);;Fichiers PRN (*.prn);;Modèles de carte (*.card.json)</translation>
    </message>
    <message>
        <source>Couldn't open the card design: %1</source>
        <translation>Impossible d'ouvrir le modèle de carte : %1</translation>
    </message>
    <message>
        <source>Couldn't read the data file: %1</source>
        <translation>Impossible de lire le fichier de données : %1</translation>
    </message>
    <message>
        <source>%1: cancelled.</source>
        <translation>%1 : annulé.</translation>
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
    <message>
        <source>%1: %2 does not answer like a Kalyx printer: what it sent is no printer's answer. Check the address and port.</source>
        <translation>%1 : %2 ne répond pas comme une imprimante Kalyx : ce qu'il envoie n'est pas une réponse d'imprimante. Vérifiez l'adresse et le port.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Parse Failure</source>
        <translation>Erreur de lecture</translation>
    </message>
    <message>
        <source>%1: the file '%2' is missing</source>
        <translation>%1 : le fichier « %2 » est absent</translation>
    </message>
    <message>
        <source>%1: entirely off the card</source>
        <translation>%1 : entièrement hors de la carte</translation>
    </message>
    <message>
        <source>%1: reaches over the card's edge</source>
        <translation>%1 : dépasse le bord de la carte</translation>
    </message>
    <message>
        <source>row %1: %2</source>
        <translation>ligne %1 : %2</translation>
    </message>
</context>
</TS>