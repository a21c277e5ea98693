<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <message id="drop_zone_title">
        <source>Drop files here</source>
        <translation>Dateien hier ablegen</translation>
    </message>
    <message id="drop_zone_description">
        <source>Photos, camera raws, videos and PDFs lose their hidden metadata (GPS position, camera serial numbers, author names) right where they are.</source>
        <translation>Fotos, Kamera-Rohdaten, Videos und PDFs verlieren ihre versteckten Metadaten (GPS-Position, Seriennummern, Autorennamen) direkt an Ort und Stelle.</translation>
    </message>
    <message id="file_picker_button">
        <source>Add Files…</source>
        <translation>Dateien hinzufügen …</translation>
    </message>
    <message id="clear_list">
        <source>Clear List</source>
        <translation>Liste leeren</translation>
    </message>
    <message id="files_counter" numerus="yes">
        <source>%lld files · %lld cleaned · %lld failed</source>
        <translation>
            <numerusform>%lld Datei · %lld bereinigt · %lld fehlgeschlagen</numerusform>
            <numerusform>%lld Dateien · %lld bereinigt · %lld fehlgeschlagen</numerusform>
        </translation>
    </message>
    <message id="%lld%">
        <source>%lld%</source>
        <translation>%lld %</translation>
    </message>
    <message id="unsupported_single">
        <source>This file type is not supported</source>
        <translation>Dieser Dateityp wird nicht unterstützt</translation>
    </message>
    <message id="unsupported_multiple">
        <source>%lld files are of an unsupported type</source>
        <translation>%lld Dateien haben einen nicht unterstützten Typ</translation>
    </message>
    <message id="status_pending">
        <source>Pending</source>
        <translation>Wartend</translation>
    </message>
    <message id="status_processing">
        <source>Cleaning…</source>
        <translation>Wird bereinigt …</translation>
    </message>
    <message id="status_done">
        <source>Cleaned</source>
        <translation>Bereinigt</translation>
    </message>
    <message id="status_error">
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message id="%lld → %lld">
        <source>%lld → %lld</source>
        <translation>%lld → %lld</translation>
    </message>
    <message id="reveal_in_finder">
        <source>Show in File Manager</source>
        <translation>Im Dateimanager zeigen</translation>
    </message>
    <message id="clean_file">
        <source>Clean This File</source>
        <translation>Diese Datei bereinigen</translation>
    </message>
    <message id="remove_from_list">
        <source>Remove from List</source>
        <translation>Aus der Liste entfernen</translation>
    </message>
    <message id="before">
        <source>Before</source>
        <translation>Vorher</translation>
    </message>
    <message id="after">
        <source>After</source>
        <translation>Nachher</translation>
    </message>
    <message id="(%lld)">
        <source>(%lld)</source>
        <translation>(%lld)</translation>
    </message>
    <message id="no_metadata">
        <source>No metadata</source>
        <translation>Keine Metadaten</translation>
    </message>
    <message id="open_files">
        <source>Open Files…</source>
        <translation>Dateien öffnen …</translation>
    </message>
    <message id="about_section">
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message id="app_version">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="exiftool_status">
        <source>ExifTool</source>
        <translation>ExifTool</translation>
    </message>
    <message id="exiftool_found">
        <source>Found</source>
        <translation>Gefunden</translation>
    </message>
    <message id="exiftool_missing">
        <source>Missing</source>
        <translation>Fehlt</translation>
    </message>
    <message id="exiftool_not_found">
        <source>ExifTool was not found among Tessaly's resources. Reinstall Tessaly.</source>
        <translation>ExifTool wurde in Tessalys Ressourcen nicht gefunden. Bitte installieren Sie Tessaly neu.</translation>
    </message>
    <message id="menu_file">
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message id="settings">
        <source>Settings…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message id="quit">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
</context>
</TS>
