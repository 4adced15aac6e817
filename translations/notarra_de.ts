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
</context>
</TS>
