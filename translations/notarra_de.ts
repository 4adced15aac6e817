<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>PrintGridList</name>
    <message>
        <source>Page %1</source>
        <translation>Seite %1</translation>
    </message>
</context>
<context>
    <name>TApplication</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>TIdeaStatus</name>
    <message>
        <source>Saved</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>Filtered</source>
        <translation>Gefiltert</translation>
    </message>
    <message>
        <source>%1 of 1 idea</source>
        <translation>%1 von 1 Idee</translation>
    </message>
    <message>
        <source>%1 of %2 ideas</source>
        <translation>%1 von %2 Ideen</translation>
    </message>
    <message>
        <source>1 idea</source>
        <translation>1 Idee</translation>
    </message>
    <message>
        <source>%1 ideas</source>
        <translation>%1 Ideen</translation>
    </message>
</context>
<context>
    <name>TfrmBlog</name>
    <message>
        <source>The file %1 was changed by another program after it was opened. Overwrite it?</source>
        <translation>Die Datei %1 wurde nach dem Öffnen von einem anderen Programm geändert. Überschreiben?</translation>
    </message>
</context>
<context>
    <name>TsfFilterDialogTexts</name>
    <message>
        <source>View Su&amp;mmary</source>
        <translation>Zu&amp;sammenfassung</translation>
    </message>
    <message>
        <source>View summary of current search criteria</source>
        <translation>Zusammenfassung der aktuellen Suchkriterien anzeigen</translation>
    </message>
    <message>
        <source>&amp;New Search</source>
        <translation>&amp;Neue Suche</translation>
    </message>
    <message>
        <source>Start a new search</source>
        <translation>Eine neue Suche beginnen</translation>
    </message>
    <message>
        <source>Field Order</source>
        <translation>Feldreihenfolge</translation>
    </message>
    <message>
        <source>Sort field list alphabetically or in their natural logical order</source>
        <translation>Feldliste alphabetisch oder in ihrer natürlichen Reihenfolge sortieren</translation>
    </message>
    <message>
        <source>Alpha&amp;betic</source>
        <translation>Alpha&amp;betisch</translation>
    </message>
    <message>
        <source>&amp;Logical</source>
        <translation>&amp;Logisch</translation>
    </message>
    <message>
        <source>&amp;All</source>
        <translation>&amp;Alle</translation>
    </message>
    <message>
        <source>&amp;Searched</source>
        <translation>&amp;Gesuchte</translation>
    </message>
    <message>
        <source>Show all fields or only currently searched fields</source>
        <translation>Alle Felder oder nur die gerade gesuchten Felder zeigen</translation>
    </message>
    <message>
        <source>&amp;Starting Range</source>
        <translation>&amp;Anfang des Bereichs</translation>
    </message>
    <message>
        <source>Enter starting range for field</source>
        <translation>Anfang des Bereichs für das Feld eingeben</translation>
    </message>
    <message>
        <source>En&amp;ding Range</source>
        <translation>En&amp;de des Bereichs</translation>
    </message>
    <message>
        <source>Enter ending range for field</source>
        <translation>Ende des Bereichs für das Feld eingeben</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>Clear starting range for field</source>
        <translation>Anfang des Bereichs für das Feld leeren</translation>
    </message>
    <message>
        <source>Cl&amp;ear</source>
        <translation>Lee&amp;ren</translation>
    </message>
    <message>
        <source>Clear ending range for field</source>
        <translation>Ende des Bereichs für das Feld leeren</translation>
    </message>
    <message>
        <source>Clear the current field&apos;s search value</source>
        <translation>Den Suchwert des aktuellen Felds leeren</translation>
    </message>
    <message>
        <source>By &amp;Value</source>
        <translation>Nach &amp;Wert</translation>
    </message>
    <message>
        <source>By &amp;Range</source>
        <translation>Nach &amp;Bereich</translation>
    </message>
    <message>
        <source>Field &amp;Value</source>
        <translation>Feld&amp;wert</translation>
    </message>
    <message>
        <source>Enter field&apos;s search value</source>
        <translation>Suchwert des Felds eingeben</translation>
    </message>
    <message>
        <source>Search Type</source>
        <translation>Suchart</translation>
    </message>
    <message>
        <source>Specify how the Field Value should be compared</source>
        <translation>Festlegen, wie der Feldwert verglichen wird</translation>
    </message>
    <message>
        <source>&amp;Exact Match</source>
        <translation>&amp;Genaue Übereinstimmung</translation>
    </message>
    <message>
        <source>&amp;Partial Match at Beginning</source>
        <translation>Teilweise Übereinstimmung am &amp;Anfang</translation>
    </message>
    <message>
        <source>Partial Match Any&amp;where</source>
        <translation>Teilweise Übereinstimmung über&amp;all</translation>
    </message>
    <message>
        <source>Case Sensi&amp;tive</source>
        <translation>Groß-/Kleinschrei&amp;bung beachten</translation>
    </message>
    <message>
        <source>Searching is case-sensitive</source>
        <translation>Die Suche unterscheidet Groß- und Kleinschreibung</translation>
    </message>
    <message>
        <source>N&amp;on-matching records</source>
        <translation>Nicht &amp;passende Datensätze</translation>
    </message>
    <message>
        <source>Show records that do not match the field value criteria</source>
        <translation>Datensätze zeigen, die den Kriterien des Feldwerts nicht entsprechen</translation>
    </message>
    <message>
        <source>&amp;Fields</source>
        <translation>&amp;Felder</translation>
    </message>
    <message>
        <source>Search fields by value or by range</source>
        <translation>Felder nach Wert oder nach Bereich durchsuchen</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>NOT</source>
        <translation>NICHT</translation>
    </message>
    <message>
        <source>You have not selected any search criteria</source>
        <translation>Sie haben keine Suchkriterien gewählt</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>notarra::TAboutBox1</name>
    <message>
        <source>License &amp; Warranty</source>
        <translation>Lizenz und Gewährleistung</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>notarra::TCustomMaskEdit</name>
    <message>
        <source>Invalid input value. Use escape key to abandon changes</source>
        <translation>Ungültige Eingabe. Mit Escape verwerfen Sie die Änderungen</translation>
    </message>
</context>
<context>
    <name>notarra::TDBNavigator</name>
    <message>
        <source>Delete record?</source>
        <translation>Datensatz löschen?</translation>
    </message>
    <message>
        <source>First record</source>
        <translation>Erster Datensatz</translation>
    </message>
    <message>
        <source>Prior record</source>
        <translation>Voriger Datensatz</translation>
    </message>
    <message>
        <source>Next record</source>
        <translation>Nächster Datensatz</translation>
    </message>
    <message>
        <source>Last record</source>
        <translation>Letzter Datensatz</translation>
    </message>
    <message>
        <source>Insert record</source>
        <translation>Datensatz einfügen</translation>
    </message>
    <message>
        <source>Delete record</source>
        <translation>Datensatz löschen</translation>
    </message>
    <message>
        <source>Edit record</source>
        <translation>Datensatz bearbeiten</translation>
    </message>
    <message>
        <source>Post edit</source>
        <translation>Änderung übernehmen</translation>
    </message>
    <message>
        <source>Cancel edit</source>
        <translation>Änderung verwerfen</translation>
    </message>
    <message>
        <source>Refresh data</source>
        <translation>Daten neu lesen</translation>
    </message>
</context>
<context>
    <name>notarra::TFormatBar</name>
    <message>
        <source>Bold (Ctrl+B)</source>
        <translation>Fett (Strg+B)</translation>
    </message>
    <message>
        <source>Italic (Ctrl+I)</source>
        <translation>Kursiv (Strg+I)</translation>
    </message>
    <message>
        <source>Underline (Ctrl+U)</source>
        <translation>Unterstrichen (Strg+U)</translation>
    </message>
    <message>
        <source>• List</source>
        <translation>• Liste</translation>
    </message>
    <message>
        <source>Bullet list</source>
        <translation>Aufzählung</translation>
    </message>
</context>
<context>
    <name>notarra::THelpWindow</name>
    <message>
        <source>Notarra Help</source>
        <translation>Notarra-Hilfe</translation>
    </message>
</context>
<context>
    <name>notarra::TIdeaSearch</name>
    <message>
        <source>Search ideas (Ctrl+K)</source>
        <translation>Ideen suchen (Strg+K)</translation>
    </message>
    <message>
        <source>Show only the ideas whose Subject, Title, Keywords or Notes hold every word typed</source>
        <translation>Nur die Ideen zeigen, deren Thema, Titel, Stichwörter oder Notizen jedes eingegebene Wort enthalten</translation>
    </message>
</context>
<context>
    <name>notarra::TPasswordDialog</name>
    <message>
        <source>Login password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>notarra::TVelaCalculator</name>
    <message>
        <source>Delete the digit</source>
        <translation>Ziffer löschen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Save result</source>
        <translation>Ergebnis übernehmen</translation>
    </message>
    <message>
        <source>Close without saving</source>
        <translation>Schließen ohne Übernehmen</translation>
    </message>
    <message>
        <source>Clear memory</source>
        <translation>Speicher löschen</translation>
    </message>
    <message>
        <source>Read memory</source>
        <translation>Speicher abrufen</translation>
    </message>
    <message>
        <source>Write to memory</source>
        <translation>In den Speicher schreiben</translation>
    </message>
    <message>
        <source>Add in memory</source>
        <translation>Zum Speicher addieren</translation>
    </message>
    <message>
        <source>Decimal digits</source>
        <translation>Nachkommastellen</translation>
    </message>
</context>
<context>
    <name>notarra::TVelaCalendar</name>
    <message>
        <source>Today is %1</source>
        <translation>Heute ist der %1</translation>
    </message>
    <message>
        <source>Click to select today</source>
        <translation>Klicken, um heute zu wählen</translation>
    </message>
    <message>
        <source>Previous year</source>
        <translation>Voriges Jahr</translation>
    </message>
    <message>
        <source>Previous month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Next month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>Next year</source>
        <translation>Nächstes Jahr</translation>
    </message>
    <message>
        <source>Click to change month</source>
        <translation>Klicken, um den Monat zu wechseln</translation>
    </message>
</context>
<context>
    <name>notarra::TVelaCustomDBGrid</name>
    <message>
        <source>Delete selected records ?</source>
        <translation>Ausgewählte Datensätze löschen?</translation>
    </message>
    <message>
        <source>Delete record ?</source>
        <translation>Datensatz löschen?</translation>
    </message>
</context>
<context>
    <name>notarra::TfrmBlog</name>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>New|Create a new document</source>
        <translation>Neu|Einen neuen Datenordner anlegen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open|Open an existing document</source>
        <translation>Öffnen|Einen vorhandenen Datenordner öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save|Save the active document</source>
        <translation>Speichern|Die Änderungen speichern</translation>
    </message>
    <message>
        <source>Print|Print the active document</source>
        <translation>Drucken|Die Liste drucken</translation>
    </message>
    <message>
        <source>First record</source>
        <translation>Erster Datensatz</translation>
    </message>
    <message>
        <source>Prior record</source>
        <translation>Voriger Datensatz</translation>
    </message>
    <message>
        <source>Next record</source>
        <translation>Nächster Datensatz</translation>
    </message>
    <message>
        <source>Last record</source>
        <translation>Letzter Datensatz</translation>
    </message>
    <message>
        <source>Insert record</source>
        <translation>Datensatz einfügen</translation>
    </message>
    <message>
        <source>Delete record</source>
        <translation>Datensatz löschen</translation>
    </message>
    <message>
        <source>Sort by Subject</source>
        <translation>Nach Thema sortieren</translation>
    </message>
    <message>
        <source>Sort by Subject|Sort the ideas by Subject, then Group</source>
        <translation>Nach Thema sortieren|Die Ideen nach Thema, dann nach Gruppe sortieren</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Set Filter</source>
        <translation>Filter setzen</translation>
    </message>
    <message>
        <source>Remove Filter</source>
        <translation>Filter entfernen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Help|Open the helpfile</source>
        <translation>Hilfe|Die Hilfe öffnen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;New File</source>
        <translation>&amp;Neuer Ordner</translation>
    </message>
    <message>
        <source>&amp;Open File</source>
        <translation>Ordner ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Recent &amp;Folders</source>
        <translation>&amp;Zuletzt verwendete Ordner</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>Print Pre&amp;view</source>
        <translation>Druck&amp;vorschau</translation>
    </message>
    <message>
        <source>&amp;Filter</source>
        <translation>F&amp;ilter</translation>
    </message>
    <message>
        <source>&amp;Remove Filter</source>
        <translation>Filter &amp;entfernen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>&amp;List</source>
        <translation>&amp;Liste</translation>
    </message>
    <message>
        <source>&amp;Item</source>
        <translation>&amp;Eintrag</translation>
    </message>
    <message>
        <source>&amp;User</source>
        <translation>&amp;Benutzer</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Thema</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation>Stichwörter</translation>
    </message>
    <message>
        <source>Published</source>
        <translation>Veröffentlicht</translation>
    </message>
    <message>
        <source>PubDate</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Field1</source>
        <translation>Feld1</translation>
    </message>
    <message>
        <source>Field2</source>
        <translation>Feld2</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Schlüssel</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Markiert</translation>
    </message>
    <message>
        <source>Group Descriptions</source>
        <translation>Gruppenbezeichnungen</translation>
    </message>
    <message>
        <source>User Field Names</source>
        <translation>Namen der Benutzerfelder</translation>
    </message>
    <message>
        <source>Data file</source>
        <translation>Datendatei</translation>
    </message>
    <message>
        <source>Field 1 caption</source>
        <translation>Beschriftung Feld 1</translation>
    </message>
    <message>
        <source>Field 2 caption</source>
        <translation>Beschriftung Feld 2</translation>
    </message>
    <message>
        <source>Opening %1...</source>
        <translation>%1 wird geöffnet...</translation>
    </message>
    <message>
        <source>Notarra cannot open the folder %1: %2. Choose another folder?</source>
        <translation>Notarra kann den Ordner %1 nicht öffnen: %2. Einen anderen Ordner wählen?</translation>
    </message>
    <message>
        <source>Open Data Folder</source>
        <translation>Datenordner öffnen</translation>
    </message>
    <message>
        <source>The folder %1 already holds %2; File &gt; Open File opens it.</source>
        <translation>Der Ordner %1 enthält bereits %2; Datei &gt; Ordner öffnen öffnet ihn.</translation>
    </message>
    <message>
        <source>Notarra was not closed properly. Restore the %1 unsaved changes from %2?</source>
        <translation>Notarra wurde nicht ordnungsgemäß beendet. Die %1 nicht gespeicherten Änderungen vom %2 wiederherstellen?</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>Don&apos;t Save</source>
        <translation>Nicht speichern</translation>
    </message>
    <message>
        <source>Saving %1...</source>
        <translation>%1 wird gespeichert...</translation>
    </message>
    <message>
        <source>New Data Folder</source>
        <translation>Neuer Datenordner</translation>
    </message>
    <message>
        <source>Blog ideas – %1</source>
        <translation>Blog-Ideen – %1</translation>
    </message>
    <message>
        <source>Blog ideas</source>
        <translation>Blog-Ideen</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>Druckvorschau</translation>
    </message>
    <message>
        <source>The unsaved changes to %1 cannot be restored: %2. They were kept in %3.</source>
        <translation>Die nicht gespeicherten Änderungen an %1 lassen sich nicht wiederherstellen: %2. Sie wurden in %3 aufbewahrt.</translation>
    </message>
    <message>
        <source>Changes to %1 cannot be kept safe from a crash until you save (%2).</source>
        <translation>Änderungen an %1 sind bis zum Speichern nicht vor einem Absturz geschützt (%2).</translation>
    </message>
    <message>
        <source>New Records not supported in this version.</source>
        <translation>Neue Datensätze werden in dieser Version nicht unterstützt.</translation>
    </message>
    <message>
        <source>Save changes to your ideas before closing?</source>
        <translation>Änderungen an Ihren Ideen vor dem Schließen speichern?</translation>
    </message>
</context>
</TS>
