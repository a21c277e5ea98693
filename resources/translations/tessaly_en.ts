<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <message id="drop_zone_title">
        <source>Drop files here</source>
        <translation>Drop files here</translation>
    </message>
    <message id="drop_zone_description">
        <source>Photos, camera raws, videos and PDFs lose their hidden metadata (GPS position, camera serial numbers, author names) right where they are.</source>
        <translation>Photos, camera raws, videos and PDFs lose their hidden metadata (GPS position, camera serial numbers, author names) right where they are.</translation>
    </message>
    <message id="file_picker_button">
        <source>Add Files…</source>
        <translation>Add Files…</translation>
    </message>
    <message id="clear_list">
        <source>Clear List</source>
        <translation>Clear List</translation>
    </message>
    <message id="files_counter" numerus="yes">
        <source>%lld files · %lld cleaned · %lld failed</source>
        <translation>
            <numerusform>%lld file · %lld cleaned · %lld failed</numerusform>
            <numerusform>%lld files · %lld cleaned · %lld failed</numerusform>
        </translation>
    </message>
    <message id="%lld%">
        <source>%lld%</source>
        <translation>%lld%</translation>
    </message>
    <message id="unsupported_single">
        <source>This file type is not supported</source>
        <translation>This file type is not supported</translation>
    </message>
    <message id="unsupported_multiple">
        <source>%lld files are of an unsupported type</source>
        <translation>%lld files are of an unsupported type</translation>
    </message>
    <message id="status_pending">
        <source>Pending</source>
        <translation>Pending</translation>
    </message>
    <message id="status_processing">
        <source>Cleaning…</source>
        <translation>Cleaning…</translation>
    </message>
    <message id="status_done">
        <source>Cleaned</source>
        <translation>Cleaned</translation>
    </message>
    <message id="status_error">
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message id="%lld → %lld">
        <source>%lld → %lld</source>
        <translation>%lld → %lld</translation>
    </message>
    <message id="reveal_in_finder">
        <source>Show in File Manager</source>
        <translation>Show in File Manager</translation>
    </message>
    <message id="clean_file">
        <source>Clean This File</source>
        <translation>Clean This File</translation>
    </message>
    <message id="remove_from_list">
        <source>Remove from List</source>
        <translation>Remove from List</translation>
    </message>
    <message id="before">
        <source>Before</source>
        <translation>Before</translation>
    </message>
    <message id="after">
        <source>After</source>
        <translation>After</translation>
    </message>
    <message id="(%lld)">
        <source>(%lld)</source>
        <translation>(%lld)</translation>
    </message>
    <message id="no_metadata">
        <source>No metadata</source>
        <translation>No metadata</translation>
    </message>
    <message id="open_files">
        <source>Open Files…</source>
        <translation>Open Files…</translation>
    </message>
    <message id="about_section">
        <source>About</source>
        <translation>About</translation>
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
        <translation>Found</translation>
    </message>
    <message id="exiftool_missing">
        <source>Missing</source>
        <translation>Missing</translation>
    </message>
    <message id="exiftool_not_found">
        <source>ExifTool was not found among Tessaly's resources. Reinstall Tessaly.</source>
        <translation>ExifTool was not found among Tessaly's resources. Reinstall Tessaly.</translation>
    </message>
    <message id="menu_file">
        <source>File</source>
        <translation>File</translation>
    </message>
    <message id="settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="quit">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
</context>
</TS>
