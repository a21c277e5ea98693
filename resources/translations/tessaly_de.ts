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
        <source>Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs lose their hidden metadata (GPS position, camera serial numbers, author names) right where they are.</source>
        <translation>Fotos, Kamera-Rohdaten, Videos, Audiodateien, Office-Dokumente, E-Books, Zeichnungen und PDFs verlieren ihre versteckten Metadaten (GPS-Position, Seriennummern, Autorennamen) direkt an Ort und Stelle.</translation>
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
        <source>%n files · %1 cleaned · %2 failed</source>
        <translation>
            <numerusform>%n Datei · %1 bereinigt · %2 fehlgeschlagen</numerusform>
            <numerusform>%n Dateien · %1 bereinigt · %2 fehlgeschlagen</numerusform>
        </translation>
    </message>
    <message id="percentage">
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message id="unsupported_single">
        <source>This file type is not supported</source>
        <translation>Dieser Dateityp wird nicht unterstützt</translation>
    </message>
    <message id="unsupported_multiple" numerus="yes">
        <source>%n files are of an unsupported type</source>
        <translation>
            <numerusform>%n Datei hat einen nicht unterstützten Typ</numerusform>
            <numerusform>%n Dateien haben einen nicht unterstützten Typ</numerusform>
        </translation>
    </message>
    <message id="file_picker_title">
        <source>Add Files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message id="file_picker_filter">
        <source>Photos, raws, videos, audio, documents and drawings</source>
        <translation>Fotos, Rohdaten, Videos, Audio, Dokumente und Zeichnungen</translation>
    </message>
    <message id="reveal_failed">
        <source>No file manager could show “%1”.</source>
        <translation>Kein Dateimanager konnte „%1“ anzeigen.</translation>
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
    <message id="key_counts">
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
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
    <message id="row_count">
        <source>(%1)</source>
        <translation>(%1)</translation>
    </message>
    <message id="no_metadata">
        <source>No metadata</source>
        <translation>Keine Metadaten</translation>
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
    <message id="sandbox_off">
        <source>Tools run without a sandbox: %1</source>
        <translation>Werkzeuge laufen ohne Sandbox: %1</translation>
    </message>
    <message id="sandbox_reason_turned_off">
        <source>turned off (TESSALY_SANDBOX=off)</source>
        <translation>abgeschaltet (TESSALY_SANDBOX=off)</translation>
    </message>
    <message id="sandbox_reason_not_installed">
        <source>bubblewrap is not installed (%1)</source>
        <translation>bubblewrap ist nicht installiert (%1)</translation>
    </message>
    <message id="sandbox_reason_refused">
        <source>the system does not let bubblewrap start (%1)</source>
        <translation>das System lässt bubblewrap nicht starten (%1)</translation>
    </message>
    <message id="exiftool_not_found">
        <source>ExifTool was not found among Tessaly's resources. Reinstall Tessaly.</source>
        <translation>ExifTool wurde in Tessalys Ressourcen nicht gefunden. Bitte installieren Sie Tessaly neu.</translation>
    </message>
    <message id="exiftool_parse_error">
        <source>Failed to parse ExifTool output</source>
        <translation>Die Ausgabe von ExifTool konnte nicht gelesen werden</translation>
    </message>
    <message id="exiftool_timeout">
        <source>ExifTool process timed out</source>
        <translation>ExifTool hat zu lange gebraucht und wurde beendet</translation>
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
    <message id="error_not_local_file">
        <source>%1 is not a local file; it was left unchanged.</source>
        <translation>%1 ist keine lokale Datei; sie wurde nicht verändert.</translation>
    </message>
    <message id="error_folder">
        <source>%1 is a folder, not a file; it was left unchanged.</source>
        <translation>%1 ist ein Ordner, keine Datei; er wurde nicht verändert.</translation>
    </message>
    <message id="error_not_regular_file">
        <source>%1 is not a regular file (it is a pipe, socket or device); it was left unchanged.</source>
        <translation>%1 ist keine gewöhnliche Datei (sondern eine Pipe, ein Socket oder ein Gerät); sie wurde nicht verändert.</translation>
    </message>
    <message id="error_hard_links">
        <source>%1 has %2 other names (hard links) that would keep the metadata; it was left unchanged.</source>
        <translation>%1 hat %2 weitere Namen (harte Links), die die Metadaten behalten würden; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_unsupported_type">
        <source>Tessaly does not clean .%1 files; the file was left unchanged.</source>
        <translation>Tessaly bereinigt keine .%1-Dateien; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_content_mismatch">
        <source>This file is not the .%1 file its name says; it was left unchanged.</source>
        <translation>Diese Datei ist nicht die .%1-Datei, die ihr Name angibt; sie wurde nicht verändert.</translation>
    </message>
    <message id="error_link_target_missing">
        <source>%1 is a link to a file that does not exist.</source>
        <translation>%1 ist eine Verknüpfung auf eine Datei, die es nicht gibt.</translation>
    </message>
    <message id="error_not_found">
        <source>%1 was not found; it may have been moved or deleted.</source>
        <translation>%1 wurde nicht gefunden; sie wurde vielleicht verschoben oder gelöscht.</translation>
    </message>
    <message id="error_cannot_open">
        <source>%1 cannot be opened (%2); it was left unchanged.</source>
        <translation>%1 kann nicht geöffnet werden (%2); die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_replaced_since_added">
        <source>%1 is no longer the file that was added (it was replaced, or its link now points elsewhere); it was left unchanged.</source>
        <translation>%1 ist nicht mehr die Datei, die hinzugefügt wurde (sie wurde ersetzt, oder ihre Verknüpfung zeigt jetzt woandershin); sie wurde nicht verändert.</translation>
    </message>
    <message id="error_changed_while_cleaning">
        <source>%1 changed while it was being cleaned; it was left as it is now.</source>
        <translation>%1 hat sich während der Bereinigung geändert; die Datei bleibt, wie sie jetzt ist.</translation>
    </message>
    <message id="error_open_for_writing">
        <source>%1 is still being written by another program; it was left unchanged. Try again when it is finished.</source>
        <translation>%1 wird noch von einem anderen Programm geschrieben; die Datei wurde nicht verändert. Versuchen Sie es erneut, wenn das Programm fertig ist.</translation>
    </message>
    <message id="error_cleaned_elsewhere">
        <source>%1 is being cleaned by another Tessaly window; it was left to that window.</source>
        <translation>%1 wird gerade in einem anderen Tessaly-Fenster bereinigt; die Datei wurde diesem Fenster überlassen.</translation>
    </message>
    <message id="error_disk_full">
        <source>There is not enough space on the disk to clean %1; it was left unchanged. Free some space on the disk and try again.</source>
        <translation>Auf dem Datenträger ist nicht genug Platz, um %1 zu bereinigen; die Datei wurde nicht verändert. Geben Sie Speicherplatz frei und versuchen Sie es erneut.</translation>
    </message>
    <message id="error_folder_not_writable">
        <source>Tessaly cannot write in the folder of %1 (%2); it was left unchanged.</source>
        <translation>Tessaly kann im Ordner von %1 nicht schreiben (%2); die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_read_only_disk">
        <source>%1 is on a disk that cannot be written to; it was left unchanged.</source>
        <translation>%1 liegt auf einem schreibgeschützten Datenträger; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_owner_not_kept">
        <source>%1 belongs to another user, and its cleaned version could only belong to you; it was left unchanged. Save a cleaned copy instead, or ask its owner to clean it.</source>
        <translation>%1 gehört einem anderen Benutzer, und die bereinigte Fassung könnte nur Ihnen gehören; die Datei wurde nicht verändert. Speichern Sie stattdessen eine bereinigte Kopie, oder bitten Sie den Eigentümer, sie zu bereinigen.</translation>
    </message>
    <message id="error_group_not_kept">
        <source>%1 belongs to a group you are not a member of, and its cleaned version could not keep that group; it was left unchanged. Save a cleaned copy instead, or ask its owner to clean it.</source>
        <translation>%1 gehört einer Gruppe, der Sie nicht angehören, und die bereinigte Fassung könnte diese Gruppe nicht behalten; die Datei wurde nicht verändert. Speichern Sie stattdessen eine bereinigte Kopie, oder bitten Sie den Eigentümer, sie zu bereinigen.</translation>
    </message>
    <message id="error_folder_not_permitted">
        <source>The cleaned version of %1 could not be written, because Tessaly may not write in its folder; the file was left unchanged. Check the folder's permissions and try again.</source>
        <translation>Die bereinigte Fassung von %1 konnte nicht geschrieben werden, weil Tessaly in ihrem Ordner nicht schreiben darf; die Datei wurde nicht verändert. Prüfen Sie die Berechtigungen des Ordners und versuchen Sie es erneut.</translation>
    </message>
    <message id="error_output_not_written">
        <source>The cleaned version of %1 could not be written; the file was left unchanged. Make sure the disk has free space and you may write in the folder, close any program that is writing the file, and try again.</source>
        <translation>Die bereinigte Fassung von %1 konnte nicht geschrieben werden; die Datei wurde nicht verändert. Sorgen Sie für freien Speicherplatz und Schreibrechte im Ordner, schließen Sie jedes Programm, das die Datei gerade schreibt, und versuchen Sie es erneut.</translation>
    </message>
    <message id="error_write_failed">
        <source>The cleaned version of %1 could not be written (%2); the file was left unchanged.</source>
        <translation>Die bereinigte Fassung von %1 konnte nicht geschrieben werden (%2); die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_copy_exists">
        <source>%1 appeared while the cleaned copy was being written; nothing was overwritten.</source>
        <translation>%1 ist entstanden, während die bereinigte Kopie geschrieben wurde; nichts wurde überschrieben.</translation>
    </message>
    <message id="error_verify_failed">
        <source>The cleaned version of %1 did not pass its check (%2); the file was left unchanged.</source>
        <translation>Die bereinigte Fassung von %1 hat die Prüfung nicht bestanden (%2); die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_pdf_unreadable">
        <source>%1 could not be read as a PDF (%2); it was left unchanged.</source>
        <translation>%1 konnte nicht als PDF gelesen werden (%2); die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_pdf_password">
        <source>%1 is protected by a password; it was left unchanged.</source>
        <translation>%1 ist durch ein Passwort geschützt; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_pdf_pages_lost">
        <source>The cleaned version of %1 would have lost pages; the original was kept.</source>
        <translation>In der bereinigten Fassung von %1 hätten Seiten gefehlt; das Original wurde behalten.</translation>
    </message>
    <message id="error_archive_too_large">
        <source>%1 unpacks to far more than it holds, as a decompression bomb does; it was left unchanged.</source>
        <translation>%1 würde beim Entpacken weit mehr Platz einnehmen, als es enthält, wie eine Dekomprimierungsbombe; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_xml_entities">
        <source>%1 declares XML entities in %2, which could make it expand without end; it was left unchanged.</source>
        <translation>%1 deklariert in %2 XML-Entitäten, die sich endlos ausdehnen könnten; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_pdf_too_deep">
        <source>%1 has pages nested too deeply to be cleaned safely; it was left unchanged.</source>
        <translation>Die Seiten von %1 sind zu tief verschachtelt, um sie sicher zu bereinigen; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_helper_crashed">
        <source>%1 stopped unexpectedly on this file (it crashed or ran out of memory); the file was left unchanged.</source>
        <translation>%1 ist bei dieser Datei unerwartet beendet worden (abgestürzt oder ohne Speicher); die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_helper_timed_out">
        <source>%1 took too long on this file and was stopped; the file was left unchanged.</source>
        <translation>%1 hat für diese Datei zu lange gebraucht und wurde beendet; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_helper_missing">
        <source>%1 is missing from %2; files of this kind cannot be cleaned.</source>
        <translation>%1 fehlt in %2; Dateien dieser Art können nicht bereinigt werden.</translation>
    </message>
    <message id="error_helper_failed">
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message id="error_quitting">
        <source>Cleaning was stopped because Tessaly is quitting; the file was left unchanged.</source>
        <translation>Die Bereinigung wurde abgebrochen, weil Tessaly beendet wird; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="command_line_help">
        <source>Usage: tessaly [OPTIONS] [FILE...]

Removes hidden metadata (GPS position, camera serials, author names, dates) from photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs.
Files and folders named here are cleaned as soon as the window is up.

Options:
  --copy         keep the originals and save a cleaned copy beside each one
  --in-place     replace each file by its cleaned version
  --review       list the files and clean them only when asked
  --keep=GROUP,...
                 leave these groups in the files: location, dates, people,
                 camera, serials, descriptions, software, thumbnails, other
  -h, --help     show this help
  -v, --version  show the version

Without --copy or --in-place, the choice in Settings applies (by default: replace).
Without --keep, the choice in Settings applies (by default: everything is removed).
After -- every argument is a file, also one whose name starts with a dash.
</source>
        <translation>Aufruf: tessaly [OPTIONEN] [DATEI...]

Entfernt versteckte Metadaten (GPS-Position, Seriennummern, Autorennamen, Datumsangaben) aus Fotos, Kamera-Rohdaten, Videos, Audiodateien, Office-Dokumenten, E-Books, Zeichnungen und PDFs.
Hier genannte Dateien und Ordner werden bereinigt, sobald das Fenster offen ist.

Optionen:
  --copy         die Originale behalten und neben jedem eine bereinigte Kopie speichern
  --in-place     jede Datei durch ihre bereinigte Fassung ersetzen
  --review       die Dateien auflisten und erst auf Wunsch bereinigen
  --keep=GRUPPE,...
                 diese Gruppen in den Dateien lassen: location, dates, people,
                 camera, serials, descriptions, software, thumbnails, other
  -h, --help     diese Hilfe zeigen
  -v, --version  die Version zeigen

Ohne --copy oder --in-place gilt die Wahl in den Einstellungen (vorgegeben: ersetzen).
Ohne --keep gilt die Wahl in den Einstellungen (vorgegeben: alles wird entfernt).
Nach -- ist jedes Argument eine Datei, auch eine, deren Name mit einem Bindestrich beginnt.
</translation>
    </message>
    <message id="command_line_refused">
        <source>tessaly: unknown option %1 (see tessaly --help; a file whose name starts with a dash is named after -- or as ./%1)
</source>
        <translation>tessaly: unbekannte Option %1 (siehe tessaly --help; eine Datei, deren Name mit einem Bindestrich beginnt, wird nach -- oder als ./%1 genannt)
</translation>
    </message>
    <message id="a11y_remove_named">
        <source>Remove %1 from the list</source>
        <translation>%1 aus der Liste entfernen</translation>
    </message>
    <message id="a11y_removed_tag">
        <source>%1: %2, removed</source>
        <translation>%1: %2, entfernt</translation>
    </message>
    <message id="a11y_tag_counts" numerus="yes">
        <source>%n tags before, %1 after</source>
        <translation>
            <numerusform>%n Tag vorher, %1 nachher</numerusform>
            <numerusform>%n Tags vorher, %1 nachher</numerusform>
        </translation>
    </message>
    <message id="settings_window_title">
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message id="when_cleaning">
        <source>When cleaning</source>
        <translation>Beim Bereinigen</translation>
    </message>
    <message id="replace_original">
        <source>Replace the original</source>
        <translation>Das Original ersetzen</translation>
    </message>
    <message id="keep_original_copy">
        <source>Keep the original and save a cleaned copy beside it</source>
        <translation>Das Original behalten und daneben eine bereinigte Kopie speichern</translation>
    </message>
    <message id="keep_modification_date">
        <source>Keep the file's modification date</source>
        <translation>Das Änderungsdatum der Datei beibehalten</translation>
    </message>
    <message id="error_residue_left">
        <source>%1 could not be removed from %2; the file was left unchanged.</source>
        <translation>%1 ließ sich nicht aus %2 entfernen; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="residue_gps">
        <source>The GPS position</source>
        <translation>Die GPS-Position</translation>
    </message>
    <message id="residue_attribute">
        <source>The file attribute %1</source>
        <translation>Das Dateiattribut %1</translation>
    </message>
    <message id="residue_damage">
        <source>A part that could not be read (%1)</source>
        <translation>Ein Teil, der sich nicht lesen ließ (%1)</translation>
    </message>
    <message id="residue_xmp">
        <source>The XMP metadata (%1)</source>
        <translation>Die XMP-Metadaten (%1)</translation>
    </message>
    <message id="residue_thumbnail">
        <source>The thumbnail's %1</source>
        <translation>%1 des Vorschaubilds</translation>
    </message>
    <message id="residue_in_group">
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message id="residue_more" numerus="yes">
        <source>(%n more)</source>
        <translation>
            <numerusform>(%n weiteres)</numerusform>
            <numerusform>(%n weitere)</numerusform>
        </translation>
    </message>
    <message id="error_kind_refused">
        <source>Tessaly does not rewrite %2 files yet: rewriting their metadata has left such files unreadable for raw converters. %1 was left unchanged.</source>
        <translation>Tessaly schreibt %2-Dateien noch nicht um: Das Umschreiben ihrer Metadaten hat solche Dateien für Raw-Konverter unlesbar gemacht. %1 wurde nicht verändert.</translation>
    </message>
    <message id="error_damaged_file">
        <source>%1 is damaged (%2), so it could not be cleaned safely; it was left unchanged.</source>
        <translation>%1 ist beschädigt (%2) und ließ sich daher nicht sicher bereinigen; die Datei wurde nicht verändert.</translation>
    </message>
    <message id="nothing_to_remove">
        <source>Nothing to remove</source>
        <translation>Nichts zu entfernen</translation>
    </message>
    <message id="still_in_file">
        <source>Still in the file</source>
        <translation>Noch in der Datei</translation>
    </message>
    <message id="kept_orientation">
        <source>keeps the picture upright</source>
        <translation>hält das Bild aufrecht</translation>
    </message>
    <message id="kept_colour_profile">
        <source>keeps the colours right</source>
        <translation>hält die Farben richtig</translation>
    </message>
    <message id="kept_colour_space">
        <source>describes the picture's colours</source>
        <translation>beschreibt die Farben des Bildes</translation>
    </message>
    <message id="kept_animation">
        <source>plays the animation</source>
        <translation>spielt die Animation ab</translation>
    </message>
    <message id="kept_transparency">
        <source>keeps the transparent parts transparent</source>
        <translation>hält durchsichtige Stellen durchsichtig</translation>
    </message>
    <message id="kept_media">
        <source>plays the sound and picture</source>
        <translation>gibt Ton und Bild wieder</translation>
    </message>
    <message id="kept_content">
        <source>the document's own content</source>
        <translation>der eigene Inhalt des Dokuments</translation>
    </message>
    <message id="kept_pixels">
        <source>needed to draw the picture</source>
        <translation>nötig, um das Bild darzustellen</translation>
    </message>
    <message id="kept_structure">
        <source>needed to open the file</source>
        <translation>nötig, um die Datei zu öffnen</translation>
    </message>
    <message id="kept_profile_unnamed">
        <source>Colour profile</source>
        <translation>Farbprofil</translation>
    </message>
    <message id="kept_profile_named">
        <source>Colour profile '%1'</source>
        <translation>Farbprofil „%1“</translation>
    </message>
    <message id="kept_pdf_comments" numerus="yes">
        <source>%n comments on page %1</source>
        <translation>
            <numerusform>%n Kommentar auf Seite %1</numerusform>
            <numerusform>%n Kommentare auf Seite %1</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_form_fields" numerus="yes">
        <source>%n form fields</source>
        <translation>
            <numerusform>%n Formularfeld</numerusform>
            <numerusform>%n Formularfelder</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_bookmarks" numerus="yes">
        <source>%n bookmarks</source>
        <translation>
            <numerusform>%n Lesezeichen</numerusform>
            <numerusform>%n Lesezeichen</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_pictures" numerus="yes">
        <source>%n pictures</source>
        <translation>
            <numerusform>%n Bild</numerusform>
            <numerusform>%n Bilder</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_links" numerus="yes">
        <source>%n links</source>
        <translation>
            <numerusform>%n Verweis</numerusform>
            <numerusform>%n Verweise</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_pages" numerus="yes">
        <source>%n pages</source>
        <translation>
            <numerusform>%n Seite</numerusform>
            <numerusform>%n Seiten</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_layer">
        <source>Layer '%1'</source>
        <translation>Ebene „%1“</translation>
    </message>
    <message id="kept_pdf_first_id">
        <source>The document's first ID (its password's key is made from it)</source>
        <translation>Die erste Kennung des Dokuments (der Schlüssel seines Passworts wird daraus gebildet)</translation>
    </message>
    <message id="bmff_top_level">
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message id="container_broken_at">
        <source>the file's structure breaks at byte %1</source>
        <translation>der Aufbau der Datei bricht bei Byte %1 ab</translation>
    </message>
    <message id="container_too_many">
        <source>more parts than any real file has, at byte %1</source>
        <translation>mehr Teile, als eine echte Datei hat, bei Byte %1</translation>
    </message>
    <message id="heif_auxiliary_image">
        <source>auxiliary image</source>
        <translation>Hilfsbild</translation>
    </message>
    <message id="heif_bytes_shared">
        <source>an Exif or XMP item shares its bytes with a picture</source>
        <translation>ein Exif- oder XMP-Element teilt seine Bytes mit einem Bild</translation>
    </message>
    <message id="heif_index_unfollowable">
        <source>its image index could not be followed</source>
        <translation>ihr Bildverzeichnis konnte nicht gelesen werden</translation>
    </message>
    <message id="heif_meta_box">
        <source>image index</source>
        <translation>Bildverzeichnis</translation>
    </message>
    <message id="heif_metadata_left">
        <source>metadata items were still there afterwards</source>
        <translation>danach waren noch Metadaten-Elemente vorhanden</translation>
    </message>
    <message id="heif_metadata_loose">
        <source>item %1, about the whole file</source>
        <translation>Element %1, zur ganzen Datei</translation>
    </message>
    <message id="heif_metadata_of">
        <source>item %1, about the %2 (item %3)</source>
        <translation>Element %1, zum %2 (Element %3)</translation>
    </message>
    <message id="heif_primary_image">
        <source>primary image</source>
        <translation>Hauptbild</translation>
    </message>
    <message id="heif_property">
        <source>image property %1</source>
        <translation>Bildeigenschaft %1</translation>
    </message>
    <message id="heif_second_image">
        <source>second image</source>
        <translation>zweites Bild</translation>
    </message>
    <message id="heif_thumbnail_of">
        <source>thumbnail of item %1</source>
        <translation>Vorschaubild von Element %1</translation>
    </message>
    <message id="heif_tile_of">
        <source>tile of item %1</source>
        <translation>Kachel von Element %1</translation>
    </message>
    <message id="mkv_attachments">
        <source>attachments</source>
        <translation>Anhänge</translation>
    </message>
    <message id="mkv_chapters">
        <source>chapters</source>
        <translation>Kapitel</translation>
    </message>
    <message id="mkv_index_unfollowable">
        <source>its tracks, chapters or attachments could not be followed</source>
        <translation>ihre Spuren, Kapitel oder Anhänge konnten nicht gelesen werden</translation>
    </message>
    <message id="mkv_info">
        <source>segment info</source>
        <translation>Segmentinformationen</translation>
    </message>
    <message id="mkv_segment">
        <source>segment</source>
        <translation>Segment</translation>
    </message>
    <message id="mkv_tracks">
        <source>tracks</source>
        <translation>Spuren</translation>
    </message>
    <message id="movie_chapter_track">
        <source>chapters</source>
        <translation>Kapitel</translation>
    </message>
    <message id="movie_creation_date">
        <source>creation date</source>
        <translation>Erstellungsdatum</translation>
    </message>
    <message id="movie_index">
        <source>movie index</source>
        <translation>Filmverzeichnis</translation>
    </message>
    <message id="video_notes_many">
        <source>%1, in %2 places</source>
        <translation>%1, an %2 Stellen</translation>
    </message>
    <message id="movie_track">
        <source>track %1</source>
        <translation>Spur %1</translation>
    </message>
    <message id="movie_index_unfollowable">
        <source>its movie index could not be followed</source>
        <translation>sein Filmverzeichnis konnte nicht gelesen werden</translation>
    </message>
    <message id="movie_bytes_shared">
        <source>a data track's samples lie outside its own bytes</source>
        <translation>die Daten einer Datenspur liegen außerhalb ihrer eigenen Bytes</translation>
    </message>
    <message id="movie_index_left">
        <source>a data track or a maker's name was still there afterwards</source>
        <translation>eine Datenspur oder der Name eines Herstellers war danach noch vorhanden</translation>
    </message>
    <message id="movie_subtitle_detail">
        <source>%1, %2 cues</source>
        <translation>%1, %2 Einblendungen</translation>
    </message>
    <message id="movie_track_unnumbered">
        <source>track</source>
        <translation>Spur</translation>
    </message>
    <message id="tiff_exif_ifd">
        <source>EXIF IFD</source>
        <translation>EXIF-IFD</translation>
    </message>
    <message id="tiff_gps_ifd">
        <source>GPS IFD</source>
        <translation>GPS-IFD</translation>
    </message>
    <message id="tiff_header">
        <source>file header</source>
        <translation>Dateikopf</translation>
    </message>
    <message id="tiff_ifd">
        <source>IFD%1</source>
        <translation>IFD%1</translation>
    </message>
    <message id="tiff_interop_ifd">
        <source>interoperability IFD</source>
        <translation>Interoperabilitäts-IFD</translation>
    </message>
    <message id="tiff_read_by_decoders">
        <source>raw decoders read it</source>
        <translation>RAW-Decoder lesen es</translation>
    </message>
    <message id="tiff_subifd">
        <source>SubIFD</source>
        <translation>SubIFD</translation>
    </message>
    <message id="log_topic_location">
        <source>Location</source>
        <translation>Ort</translation>
    </message>
    <message id="log_topic_people">
        <source>People</source>
        <translation>Personen</translation>
    </message>
    <message id="log_topic_dates">
        <source>Dates</source>
        <translation>Datumsangaben</translation>
    </message>
    <message id="log_topic_camera">
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message id="log_topic_software">
        <source>Software</source>
        <translation>Software</translation>
    </message>
    <message id="log_topic_other">
        <source>Other</source>
        <translation>Sonstiges</translation>
    </message>
    <message id="log_topic_tool_warnings">
        <source>ExifTool's warnings</source>
        <translation>Warnungen von ExifTool</translation>
    </message>
    <message id="error_not_that_kind">
        <source>This is not %1. It was left unchanged.</source>
        <translation>Dies ist %1. Die Datei wurde nicht verändert.</translation>
    </message>
    <message id="error_not_that_kind_like">
        <source>This is not %1 (it looks like %2). It was left unchanged.</source>
        <translation>Dies ist %1 (die Datei sieht nach %2 aus). Sie wurde nicht verändert.</translation>
    </message>
    <message id="error_fragmented_movie">
        <source>%1 is a movie written in fragments, as some cameras and screen recorders write them, which Tessaly cannot clean yet; it was left unchanged.</source>
        <translation>%1 ist ein in Fragmenten geschriebener Film, wie manche Kameras und Bildschirmrekorder sie schreiben, den Tessaly noch nicht bereinigen kann; er wurde nicht verändert.</translation>
    </message>
    <message id="error_format_error">
        <source>%1 is damaged, or not the kind of file its name says, so it could not be cleaned safely; it was left unchanged.</source>
        <translation>%1 ist beschädigt oder nicht die Art Datei, die ihr Name angibt, und konnte daher nicht sicher bereinigt werden; sie wurde nicht verändert.</translation>
    </message>
    <message id="kind_not_jpeg">
        <source>a JPEG picture</source>
        <translation>kein JPEG-Bild</translation>
    </message>
    <message id="kind_not_png">
        <source>a PNG picture</source>
        <translation>kein PNG-Bild</translation>
    </message>
    <message id="kind_not_webp">
        <source>a WebP picture</source>
        <translation>kein WebP-Bild</translation>
    </message>
    <message id="kind_not_heic">
        <source>a HEIC picture</source>
        <translation>kein HEIC-Bild</translation>
    </message>
    <message id="kind_not_pdf">
        <source>a PDF document</source>
        <translation>kein PDF-Dokument</translation>
    </message>
    <message id="kind_not_raw">
        <source>a %1 camera raw</source>
        <translation>kein %1-Rohbild einer Kamera</translation>
    </message>
    <message id="kind_not_movie">
        <source>a %1 video</source>
        <translation>kein %1-Video</translation>
    </message>
    <message id="kind_not_other">
        <source>a %1 file</source>
        <translation>keine %1-Datei</translation>
    </message>
    <message id="kind_like_text">
        <source>text</source>
        <translation>Text</translation>
    </message>
    <message id="kind_like_web_page">
        <source>a web page</source>
        <translation>einer Webseite</translation>
    </message>
    <message id="kind_like_jpeg">
        <source>a JPEG picture</source>
        <translation>einem JPEG-Bild</translation>
    </message>
    <message id="kind_like_png">
        <source>a PNG picture</source>
        <translation>einem PNG-Bild</translation>
    </message>
    <message id="kind_like_pdf">
        <source>a PDF document</source>
        <translation>einem PDF-Dokument</translation>
    </message>
    <message id="kind_like_zip">
        <source>a ZIP archive</source>
        <translation>einem ZIP-Archiv</translation>
    </message>
    <message id="kind_like_other">
        <source>a %1 file</source>
        <translation>einer %1-Datei</translation>
    </message>
    <message id="kind_like_xml">
        <source>XML text</source>
        <translation>XML-Text</translation>
    </message>
    <message id="status_stopped">
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message id="status_waiting">
        <source>Waiting</source>
        <translation>Wartet</translation>
    </message>
    <message id="try_again">
        <source>Try Again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message id="stop">
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message id="quit_question_title">
        <source>Quit while cleaning?</source>
        <translation>Während der Bereinigung beenden?</translation>
    </message>
    <message id="quit_question" numerus="yes">
        <source>%Ln files are not cleaned yet. They stay as they are; a file being cleaned is finished or left as it was.</source>
        <translation>
            <numerusform>%Ln Datei ist noch nicht bereinigt. Sie bleibt, wie sie ist; eine Datei in Bereinigung wird fertig bereinigt oder bleibt, wie sie war.</numerusform>
            <numerusform>%Ln Dateien sind noch nicht bereinigt. Sie bleiben, wie sie sind; eine Datei in Bereinigung wird fertig bereinigt oder bleibt, wie sie war.</numerusform>
        </translation>
    </message>
    <message id="quit_stop">
        <source>Stop and Quit</source>
        <translation>Anhalten und beenden</translation>
    </message>
    <message id="keep_cleaning">
        <source>Keep Cleaning</source>
        <translation>Weiter bereinigen</translation>
    </message>
    <message id="run_summary">
        <source>%1 cleaned, %2 not cleaned</source>
        <translation>%1 bereinigt, %2 nicht bereinigt</translation>
    </message>
    <message id="run_summary_all" numerus="yes">
        <source>%Ln files cleaned</source>
        <translation>
            <numerusform>%Ln Datei bereinigt</numerusform>
            <numerusform>%Ln Dateien bereinigt</numerusform>
        </translation>
    </message>
    <message id="summary_show">
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message id="summary_show_all">
        <source>Show All</source>
        <translation>Alle anzeigen</translation>
    </message>
    <message id="summary_dismiss">
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message id="run_notification_title">
        <source>Cleaning finished</source>
        <translation>Bereinigung abgeschlossen</translation>
    </message>
    <message id="status_ready">
        <source>Not cleaned yet</source>
        <translation>Noch nicht bereinigt</translation>
    </message>
    <message id="clean_ready" numerus="yes">
        <source>Clean %Ln Files</source>
        <translation>
            <numerusform>%Ln Datei bereinigen</numerusform>
            <numerusform>%Ln Dateien bereinigen</numerusform>
        </translation>
    </message>
    <message id="review_first">
        <source>Show files before cleaning them</source>
        <translation>Dateien vor dem Bereinigen anzeigen</translation>
    </message>
    <message id="confirm_copies_beside">
        <source>Cleaned copies will be saved beside them.</source>
        <translation>Bereinigte Kopien werden daneben gespeichert.</translation>
    </message>
    <message id="confirm_replaced">
        <source>They will be replaced by cleaned versions.</source>
        <translation>Sie werden durch bereinigte Fassungen ersetzt.</translation>
    </message>
    <message id="confirm_clean_folders" numerus="yes">
        <source>Clean %Ln files from these folders?</source>
        <translation>
            <numerusform>%Ln Datei aus diesen Ordnern bereinigen?</numerusform>
            <numerusform>%Ln Dateien aus diesen Ordnern bereinigen?</numerusform>
        </translation>
    </message>
    <message id="confirm_clean_in" numerus="yes">
        <source>Clean %Ln files in “%1”?</source>
        <translation>
            <numerusform>%Ln Datei in „%1“ bereinigen?</numerusform>
            <numerusform>%Ln Dateien in „%1“ bereinigen?</numerusform>
        </translation>
    </message>
    <message id="confirm_clean_title">
        <source>Clean Many Files?</source>
        <translation>Viele Dateien bereinigen?</translation>
    </message>
    <message id="cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="menu_help">
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message id="menu_manual">
        <source>Manual</source>
        <translation>Handbuch</translation>
    </message>
    <message id="menu_about">
        <source>About Tessaly</source>
        <translation>Über Tessaly</translation>
    </message>
    <message id="about_version">
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message id="about_summary">
        <source>Removes hidden metadata (GPS positions, serial numbers, author names, dates, edit history) from photos, raws, videos, audio, office documents, e-books, drawings and PDFs before you share them.</source>
        <translation>Entfernt versteckte Metadaten (GPS-Positionen, Seriennummern, Autorennamen, Datumsangaben, Bearbeitungsverlauf) aus Fotos, Rohdaten, Videos, Audiodateien, Office-Dokumenten, E-Books, Zeichnungen und PDFs, bevor Sie sie weitergeben.</translation>
    </message>
    <message id="about_license">
        <source>Free software under the GNU General Public License, version 3 or later.</source>
        <translation>Freie Software unter der GNU General Public License, Version 3 oder später.</translation>
    </message>
    <message id="about_close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="drop_zone_description_copy">
        <source>Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs get a cleaned copy beside them, without their hidden metadata (GPS position, camera serial numbers, author names). The originals stay as they are.</source>
        <translation>Fotos, Kamera-Rohdaten, Videos, Audiodateien, Office-Dokumente, E-Books, Zeichnungen und PDFs erhalten daneben eine bereinigte Kopie ohne ihre versteckten Metadaten (GPS-Position, Seriennummern, Autorennamen). Die Originale bleiben, wie sie sind.</translation>
    </message>
    <message id="a11y_list_scroll_bar">
        <source>Scroll the file list</source>
        <translation>Dateiliste blättern</translation>
    </message>
    <message id="a11y_progress">
        <source>Cleaning progress</source>
        <translation>Fortschritt der Bereinigung</translation>
    </message>
    <message id="a11y_menu_bar">
        <source>Main menu</source>
        <translation>Hauptmenü</translation>
    </message>
    <message id="kept_chosen">
        <source>kept, as chosen in Settings</source>
        <translation>behalten, wie in den Einstellungen gewählt</translation>
    </message>
    <message id="family_location">
        <source>Location</source>
        <translation>Ort</translation>
    </message>
    <message id="family_dates">
        <source>Dates and times</source>
        <translation>Datum und Uhrzeit</translation>
    </message>
    <message id="family_people">
        <source>People and credit</source>
        <translation>Personen und Urheber</translation>
    </message>
    <message id="family_camera">
        <source>Camera and lens</source>
        <translation>Kamera und Objektiv</translation>
    </message>
    <message id="family_serials">
        <source>Serial numbers and counters</source>
        <translation>Seriennummern und Zähler</translation>
    </message>
    <message id="family_descriptions">
        <source>Descriptions, titles, keywords and comments</source>
        <translation>Beschreibungen, Titel, Stichwörter und Kommentare</translation>
    </message>
    <message id="family_software">
        <source>Software and edit history</source>
        <translation>Software und Bearbeitungsverlauf</translation>
    </message>
    <message id="family_thumbnails">
        <source>Thumbnails and previews</source>
        <translation>Miniaturen und Vorschauen</translation>
    </message>
    <message id="family_other">
        <source>Everything else</source>
        <translation>Alles andere</translation>
    </message>
    <message id="family_short_location">
        <source>location</source>
        <translation>Ort</translation>
    </message>
    <message id="family_short_dates">
        <source>dates</source>
        <translation>Datum</translation>
    </message>
    <message id="family_short_people">
        <source>credit</source>
        <translation>Urheber</translation>
    </message>
    <message id="family_short_camera">
        <source>camera</source>
        <translation>Kamera</translation>
    </message>
    <message id="family_short_serials">
        <source>serials</source>
        <translation>Seriennummern</translation>
    </message>
    <message id="family_short_descriptions">
        <source>descriptions</source>
        <translation>Beschreibungen</translation>
    </message>
    <message id="family_short_software">
        <source>software</source>
        <translation>Software</translation>
    </message>
    <message id="family_short_thumbnails">
        <source>thumbnails</source>
        <translation>Miniaturen</translation>
    </message>
    <message id="family_short_other">
        <source>everything else</source>
        <translation>alles andere</translation>
    </message>
    <message id="family_never_kept">
        <source>Always removed, from every kind of file</source>
        <translation>Wird immer entfernt, aus jeder Art von Datei</translation>
    </message>
    <message id="family_kept_in">
        <source>Kept only in %1; always removed from other kinds</source>
        <translation>Nur in %1 behalten; aus anderen Arten immer entfernt</translation>
    </message>
    <message id="keeping_note">
        <source>Keeping: %1</source>
        <translation>Behalten: %1</translation>
    </message>
    <message id="kept_in_file_note">
        <source>Kept, as chosen in Settings: %1</source>
        <translation>Behalten, wie in den Einstellungen gewählt: %1</translation>
    </message>
    <message id="what_to_remove">
        <source>What to remove</source>
        <translation>Was entfernt wird</translation>
    </message>
    <message id="remove_everything">
        <source>Everything (recommended)</source>
        <translation>Alles (empfohlen)</translation>
    </message>
    <message id="remove_only_location">
        <source>Only the location</source>
        <translation>Nur den Ort</translation>
    </message>
</context>
</TS>
