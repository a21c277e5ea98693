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
        <source>Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs lose their hidden metadata (GPS position, camera serial numbers, author names) right where they are.</source>
        <translation>Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs lose their hidden metadata (GPS position, camera serial numbers, author names) right where they are.</translation>
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
        <source>%n files · %1 cleaned · %2 failed</source>
        <translation>
            <numerusform>%n file · %1 cleaned · %2 failed</numerusform>
            <numerusform>%n files · %1 cleaned · %2 failed</numerusform>
        </translation>
    </message>
    <message id="percentage">
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message id="unsupported_single">
        <source>This file type is not supported</source>
        <translation>This file type is not supported</translation>
    </message>
    <message id="unsupported_multiple" numerus="yes">
        <source>%n files are of an unsupported type</source>
        <translation>
            <numerusform>%n file is of an unsupported type</numerusform>
            <numerusform>%n files are of an unsupported type</numerusform>
        </translation>
    </message>
    <message id="file_picker_title">
        <source>Add Files</source>
        <translation>Add Files</translation>
    </message>
    <message id="file_picker_filter">
        <source>Photos, raws, videos, audio, documents and drawings</source>
        <translation>Photos, raws, videos, audio, documents and drawings</translation>
    </message>
    <message id="reveal_failed">
        <source>No file manager could show “%1”.</source>
        <translation>No file manager could show “%1”.</translation>
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
    <message id="key_counts">
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
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
    <message id="row_count">
        <source>(%1)</source>
        <translation>(%1)</translation>
    </message>
    <message id="no_metadata">
        <source>No metadata</source>
        <translation>No metadata</translation>
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
    <message id="sandbox_off">
        <source>Tools run without a sandbox: %1</source>
        <translation>Tools run without a sandbox: %1</translation>
    </message>
    <message id="sandbox_reason_turned_off">
        <source>turned off (TESSALY_SANDBOX=off)</source>
        <translation>turned off (TESSALY_SANDBOX=off)</translation>
    </message>
    <message id="sandbox_reason_not_installed">
        <source>bubblewrap is not installed (%1)</source>
        <translation>bubblewrap is not installed (%1)</translation>
    </message>
    <message id="sandbox_reason_refused">
        <source>the system does not let bubblewrap start (%1)</source>
        <translation>the system does not let bubblewrap start (%1)</translation>
    </message>
    <message id="exiftool_not_found">
        <source>ExifTool was not found among Tessaly's resources. Reinstall Tessaly.</source>
        <translation>ExifTool was not found among Tessaly's resources. Reinstall Tessaly.</translation>
    </message>
    <message id="exiftool_parse_error">
        <source>Failed to parse ExifTool output</source>
        <translation>Failed to parse ExifTool output</translation>
    </message>
    <message id="exiftool_timeout">
        <source>ExifTool process timed out</source>
        <translation>ExifTool process timed out</translation>
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
    <message id="error_not_local_file">
        <source>%1 is not a local file; it was left unchanged.</source>
        <translation>%1 is not a local file; it was left unchanged.</translation>
    </message>
    <message id="error_folder">
        <source>%1 is a folder, not a file; it was left unchanged.</source>
        <translation>%1 is a folder, not a file; it was left unchanged.</translation>
    </message>
    <message id="error_not_regular_file">
        <source>%1 is not a regular file (it is a pipe, socket or device); it was left unchanged.</source>
        <translation>%1 is not a regular file (it is a pipe, socket or device); it was left unchanged.</translation>
    </message>
    <message id="error_hard_links">
        <source>%1 has %2 other names (hard links) that would keep the metadata; it was left unchanged.</source>
        <translation>%1 has %2 other names (hard links) that would keep the metadata; it was left unchanged.</translation>
    </message>
    <message id="error_unsupported_type">
        <source>Tessaly does not clean .%1 files; the file was left unchanged.</source>
        <translation>Tessaly does not clean .%1 files; the file was left unchanged.</translation>
    </message>
    <message id="error_content_mismatch">
        <source>This file is not the .%1 file its name says; it was left unchanged.</source>
        <translation>This file is not the .%1 file its name says; it was left unchanged.</translation>
    </message>
    <message id="error_link_target_missing">
        <source>%1 is a link to a file that does not exist.</source>
        <translation>%1 is a link to a file that does not exist.</translation>
    </message>
    <message id="error_not_found">
        <source>%1 was not found; it may have been moved or deleted.</source>
        <translation>%1 was not found; it may have been moved or deleted.</translation>
    </message>
    <message id="error_cannot_open">
        <source>%1 cannot be opened (%2); it was left unchanged.</source>
        <translation>%1 cannot be opened (%2); it was left unchanged.</translation>
    </message>
    <message id="error_replaced_since_added">
        <source>%1 is no longer the file that was added (it was replaced, or its link now points elsewhere); it was left unchanged.</source>
        <translation>%1 is no longer the file that was added (it was replaced, or its link now points elsewhere); it was left unchanged.</translation>
    </message>
    <message id="error_changed_while_cleaning">
        <source>%1 changed while it was being cleaned; it was left as it is now.</source>
        <translation>%1 changed while it was being cleaned; it was left as it is now.</translation>
    </message>
    <message id="error_open_for_writing">
        <source>%1 is still being written by another program; it was left unchanged. Try again when it is finished.</source>
        <translation>%1 is still being written by another program; it was left unchanged. Try again when it is finished.</translation>
    </message>
    <message id="error_cleaned_elsewhere">
        <source>%1 is being cleaned by another Tessaly window; it was left to that window.</source>
        <translation>%1 is being cleaned by another Tessaly window; it was left to that window.</translation>
    </message>
    <message id="error_disk_full">
        <source>There is not enough space on the disk to clean %1; it was left unchanged. Free some space on the disk and try again.</source>
        <translation>There is not enough space on the disk to clean %1; it was left unchanged. Free some space on the disk and try again.</translation>
    </message>
    <message id="error_folder_not_writable">
        <source>Tessaly cannot write in the folder of %1 (%2); it was left unchanged.</source>
        <translation>Tessaly cannot write in the folder of %1 (%2); it was left unchanged.</translation>
    </message>
    <message id="error_read_only_disk">
        <source>%1 is on a disk that cannot be written to; it was left unchanged.</source>
        <translation>%1 is on a disk that cannot be written to; it was left unchanged.</translation>
    </message>
    <message id="error_owner_not_kept">
        <source>%1 belongs to another user, and its cleaned version could only belong to you; it was left unchanged. Save a cleaned copy instead, or ask its owner to clean it.</source>
        <translation>%1 belongs to another user, and its cleaned version could only belong to you; it was left unchanged. Save a cleaned copy instead, or ask its owner to clean it.</translation>
    </message>
    <message id="error_group_not_kept">
        <source>%1 belongs to a group you are not a member of, and its cleaned version could not keep that group; it was left unchanged. Save a cleaned copy instead, or ask its owner to clean it.</source>
        <translation>%1 belongs to a group you are not a member of, and its cleaned version could not keep that group; it was left unchanged. Save a cleaned copy instead, or ask its owner to clean it.</translation>
    </message>
    <message id="error_folder_not_permitted">
        <source>The cleaned version of %1 could not be written, because Tessaly may not write in its folder; the file was left unchanged. Check the folder's permissions and try again.</source>
        <translation>The cleaned version of %1 could not be written, because Tessaly may not write in its folder; the file was left unchanged. Check the folder's permissions and try again.</translation>
    </message>
    <message id="error_output_not_written">
        <source>The cleaned version of %1 could not be written; the file was left unchanged. Make sure the disk has free space and you may write in the folder, close any program that is writing the file, and try again.</source>
        <translation>The cleaned version of %1 could not be written; the file was left unchanged. Make sure the disk has free space and you may write in the folder, close any program that is writing the file, and try again.</translation>
    </message>
    <message id="error_write_failed">
        <source>The cleaned version of %1 could not be written (%2); the file was left unchanged.</source>
        <translation>The cleaned version of %1 could not be written (%2); the file was left unchanged.</translation>
    </message>
    <message id="error_copy_exists">
        <source>%1 appeared while the cleaned copy was being written; nothing was overwritten.</source>
        <translation>%1 appeared while the cleaned copy was being written; nothing was overwritten.</translation>
    </message>
    <message id="error_verify_failed">
        <source>The cleaned version of %1 did not pass its check (%2); the file was left unchanged.</source>
        <translation>The cleaned version of %1 did not pass its check (%2); the file was left unchanged.</translation>
    </message>
    <message id="error_pdf_unreadable">
        <source>%1 could not be read as a PDF (%2); it was left unchanged.</source>
        <translation>%1 could not be read as a PDF (%2); it was left unchanged.</translation>
    </message>
    <message id="error_pdf_password">
        <source>%1 is protected by a password; it was left unchanged.</source>
        <translation>%1 is protected by a password; it was left unchanged.</translation>
    </message>
    <message id="error_pdf_pages_lost">
        <source>The cleaned version of %1 would have lost pages; the original was kept.</source>
        <translation>The cleaned version of %1 would have lost pages; the original was kept.</translation>
    </message>
    <message id="error_archive_too_large">
        <source>%1 unpacks to far more than it holds, as a decompression bomb does; it was left unchanged.</source>
        <translation>%1 unpacks to far more than it holds, as a decompression bomb does; it was left unchanged.</translation>
    </message>
    <message id="error_xml_entities">
        <source>%1 declares XML entities in %2, which could make it expand without end; it was left unchanged.</source>
        <translation>%1 declares XML entities in %2, which could make it expand without end; it was left unchanged.</translation>
    </message>
    <message id="error_pdf_too_deep">
        <source>%1 has pages nested too deeply to be cleaned safely; it was left unchanged.</source>
        <translation>%1 has pages nested too deeply to be cleaned safely; it was left unchanged.</translation>
    </message>
    <message id="error_helper_crashed">
        <source>%1 stopped unexpectedly on this file (it crashed or ran out of memory); the file was left unchanged.</source>
        <translation>%1 stopped unexpectedly on this file (it crashed or ran out of memory); the file was left unchanged.</translation>
    </message>
    <message id="error_helper_timed_out">
        <source>%1 took too long on this file and was stopped; the file was left unchanged.</source>
        <translation>%1 took too long on this file and was stopped; the file was left unchanged.</translation>
    </message>
    <message id="error_helper_missing">
        <source>%1 is missing from %2; files of this kind cannot be cleaned.</source>
        <translation>%1 is missing from %2; files of this kind cannot be cleaned.</translation>
    </message>
    <message id="error_helper_failed">
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message id="error_quitting">
        <source>Cleaning was stopped because Tessaly is quitting; the file was left unchanged.</source>
        <translation>Cleaning was stopped because Tessaly is quitting; the file was left unchanged.</translation>
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
        <translation>Usage: tessaly [OPTIONS] [FILE...]

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
</translation>
    </message>
    <message id="command_line_refused">
        <source>tessaly: unknown option %1 (see tessaly --help; a file whose name starts with a dash is named after -- or as ./%1)
</source>
        <translation>tessaly: unknown option %1 (see tessaly --help; a file whose name starts with a dash is named after -- or as ./%1)
</translation>
    </message>
    <message id="a11y_remove_named">
        <source>Remove %1 from the list</source>
        <translation>Remove %1 from the list</translation>
    </message>
    <message id="a11y_removed_tag">
        <source>%1: %2, removed</source>
        <translation>%1: %2, removed</translation>
    </message>
    <message id="a11y_tag_counts" numerus="yes">
        <source>%n tags before, %1 after</source>
        <translation>
            <numerusform>%n tag before, %1 after</numerusform>
            <numerusform>%n tags before, %1 after</numerusform>
        </translation>
    </message>
    <message id="settings_window_title">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="when_cleaning">
        <source>When cleaning</source>
        <translation>When cleaning</translation>
    </message>
    <message id="replace_original">
        <source>Replace the original</source>
        <translation>Replace the original</translation>
    </message>
    <message id="keep_original_copy">
        <source>Keep the original and save a cleaned copy beside it</source>
        <translation>Keep the original and save a cleaned copy beside it</translation>
    </message>
    <message id="keep_modification_date">
        <source>Keep the file's modification date</source>
        <translation>Keep the file's modification date</translation>
    </message>
    <message id="error_residue_left">
        <source>%1 could not be removed from %2; the file was left unchanged.</source>
        <translation>%1 could not be removed from %2; the file was left unchanged.</translation>
    </message>
    <message id="residue_gps">
        <source>The GPS position</source>
        <translation>The GPS position</translation>
    </message>
    <message id="residue_attribute">
        <source>The file attribute %1</source>
        <translation>The file attribute %1</translation>
    </message>
    <message id="residue_damage">
        <source>A part that could not be read (%1)</source>
        <translation>A part that could not be read (%1)</translation>
    </message>
    <message id="residue_xmp">
        <source>The XMP metadata (%1)</source>
        <translation>The XMP metadata (%1)</translation>
    </message>
    <message id="residue_thumbnail">
        <source>The thumbnail's %1</source>
        <translation>The thumbnail's %1</translation>
    </message>
    <message id="residue_in_group">
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message id="residue_more" numerus="yes">
        <source>(%n more)</source>
        <translation>
            <numerusform>(%n more)</numerusform>
            <numerusform>(%n more)</numerusform>
        </translation>
    </message>
    <message id="error_kind_refused">
        <source>Tessaly does not rewrite %2 files yet: rewriting their metadata has left such files unreadable for raw converters. %1 was left unchanged.</source>
        <translation>Tessaly does not rewrite %2 files yet: rewriting their metadata has left such files unreadable for raw converters. %1 was left unchanged.</translation>
    </message>
    <message id="error_damaged_file">
        <source>%1 is damaged (%2), so it could not be cleaned safely; it was left unchanged.</source>
        <translation>%1 is damaged (%2), so it could not be cleaned safely; it was left unchanged.</translation>
    </message>
    <message id="nothing_to_remove">
        <source>Nothing to remove</source>
        <translation>Nothing to remove</translation>
    </message>
    <message id="still_in_file">
        <source>Still in the file</source>
        <translation>Still in the file</translation>
    </message>
    <message id="kept_orientation">
        <source>keeps the picture upright</source>
        <translation>keeps the picture upright</translation>
    </message>
    <message id="kept_colour_profile">
        <source>keeps the colours right</source>
        <translation>keeps the colours right</translation>
    </message>
    <message id="kept_colour_space">
        <source>describes the picture's colours</source>
        <translation>describes the picture's colours</translation>
    </message>
    <message id="kept_animation">
        <source>plays the animation</source>
        <translation>plays the animation</translation>
    </message>
    <message id="kept_transparency">
        <source>keeps the transparent parts transparent</source>
        <translation>keeps the transparent parts transparent</translation>
    </message>
    <message id="kept_media">
        <source>plays the sound and picture</source>
        <translation>plays the sound and picture</translation>
    </message>
    <message id="kept_content">
        <source>the document's own content</source>
        <translation>the document's own content</translation>
    </message>
    <message id="kept_pixels">
        <source>needed to draw the picture</source>
        <translation>needed to draw the picture</translation>
    </message>
    <message id="kept_structure">
        <source>needed to open the file</source>
        <translation>needed to open the file</translation>
    </message>
    <message id="kept_profile_unnamed">
        <source>Colour profile</source>
        <translation>Colour profile</translation>
    </message>
    <message id="kept_profile_named">
        <source>Colour profile '%1'</source>
        <translation>Colour profile '%1'</translation>
    </message>
    <message id="kept_pdf_comments" numerus="yes">
        <source>%n comments on page %1</source>
        <translation>
            <numerusform>%n comment on page %1</numerusform>
            <numerusform>%n comments on page %1</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_form_fields" numerus="yes">
        <source>%n form fields</source>
        <translation>
            <numerusform>%n form field</numerusform>
            <numerusform>%n form fields</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_bookmarks" numerus="yes">
        <source>%n bookmarks</source>
        <translation>
            <numerusform>%n bookmark</numerusform>
            <numerusform>%n bookmarks</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_pictures" numerus="yes">
        <source>%n pictures</source>
        <translation>
            <numerusform>%n picture</numerusform>
            <numerusform>%n pictures</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_links" numerus="yes">
        <source>%n links</source>
        <translation>
            <numerusform>%n link</numerusform>
            <numerusform>%n links</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_pages" numerus="yes">
        <source>%n pages</source>
        <translation>
            <numerusform>%n page</numerusform>
            <numerusform>%n pages</numerusform>
        </translation>
    </message>
    <message id="kept_pdf_layer">
        <source>Layer '%1'</source>
        <translation>Layer '%1'</translation>
    </message>
    <message id="kept_pdf_first_id">
        <source>The document's first ID (its password's key is made from it)</source>
        <translation>The document's first ID (its password's key is made from it)</translation>
    </message>
    <message id="bmff_top_level">
        <source>file</source>
        <translation>file</translation>
    </message>
    <message id="container_broken_at">
        <source>the file's structure breaks at byte %1</source>
        <translation>the file's structure breaks at byte %1</translation>
    </message>
    <message id="container_too_many">
        <source>more parts than any real file has, at byte %1</source>
        <translation>more parts than any real file has, at byte %1</translation>
    </message>
    <message id="heif_auxiliary_image">
        <source>auxiliary image</source>
        <translation>auxiliary image</translation>
    </message>
    <message id="heif_bytes_shared">
        <source>an Exif or XMP item shares its bytes with a picture</source>
        <translation>an Exif or XMP item shares its bytes with a picture</translation>
    </message>
    <message id="heif_index_unfollowable">
        <source>its image index could not be followed</source>
        <translation>its image index could not be followed</translation>
    </message>
    <message id="heif_meta_box">
        <source>image index</source>
        <translation>image index</translation>
    </message>
    <message id="heif_metadata_left">
        <source>metadata items were still there afterwards</source>
        <translation>metadata items were still there afterwards</translation>
    </message>
    <message id="heif_metadata_loose">
        <source>item %1, about the whole file</source>
        <translation>item %1, about the whole file</translation>
    </message>
    <message id="heif_metadata_of">
        <source>item %1, about the %2 (item %3)</source>
        <translation>item %1, about the %2 (item %3)</translation>
    </message>
    <message id="heif_primary_image">
        <source>primary image</source>
        <translation>primary image</translation>
    </message>
    <message id="heif_property">
        <source>image property %1</source>
        <translation>image property %1</translation>
    </message>
    <message id="heif_second_image">
        <source>second image</source>
        <translation>second image</translation>
    </message>
    <message id="heif_thumbnail_of">
        <source>thumbnail of item %1</source>
        <translation>thumbnail of item %1</translation>
    </message>
    <message id="heif_tile_of">
        <source>tile of item %1</source>
        <translation>tile of item %1</translation>
    </message>
    <message id="mkv_attachments">
        <source>attachments</source>
        <translation>attachments</translation>
    </message>
    <message id="mkv_chapters">
        <source>chapters</source>
        <translation>chapters</translation>
    </message>
    <message id="mkv_index_unfollowable">
        <source>its tracks, chapters or attachments could not be followed</source>
        <translation>its tracks, chapters or attachments could not be followed</translation>
    </message>
    <message id="mkv_info">
        <source>segment info</source>
        <translation>segment info</translation>
    </message>
    <message id="mkv_segment">
        <source>segment</source>
        <translation>segment</translation>
    </message>
    <message id="mkv_tracks">
        <source>tracks</source>
        <translation>tracks</translation>
    </message>
    <message id="movie_chapter_track">
        <source>chapters</source>
        <translation>chapters</translation>
    </message>
    <message id="movie_creation_date">
        <source>creation date</source>
        <translation>creation date</translation>
    </message>
    <message id="movie_index">
        <source>movie index</source>
        <translation>movie index</translation>
    </message>
    <message id="video_notes_many">
        <source>%1, in %2 places</source>
        <translation>%1, in %2 places</translation>
    </message>
    <message id="movie_track">
        <source>track %1</source>
        <translation>track %1</translation>
    </message>
    <message id="movie_index_unfollowable">
        <source>its movie index could not be followed</source>
        <translation>its movie index could not be followed</translation>
    </message>
    <message id="movie_bytes_shared">
        <source>a data track's samples lie outside its own bytes</source>
        <translation>a data track's samples lie outside its own bytes</translation>
    </message>
    <message id="movie_index_left">
        <source>a data track or a maker's name was still there afterwards</source>
        <translation>a data track or a maker's name was still there afterwards</translation>
    </message>
    <message id="movie_subtitle_detail">
        <source>%1, %2 cues</source>
        <translation>%1, %2 cues</translation>
    </message>
    <message id="movie_track_unnumbered">
        <source>track</source>
        <translation>track</translation>
    </message>
    <message id="tiff_exif_ifd">
        <source>EXIF IFD</source>
        <translation>EXIF IFD</translation>
    </message>
    <message id="tiff_gps_ifd">
        <source>GPS IFD</source>
        <translation>GPS IFD</translation>
    </message>
    <message id="tiff_header">
        <source>file header</source>
        <translation>file header</translation>
    </message>
    <message id="tiff_ifd">
        <source>IFD%1</source>
        <translation>IFD%1</translation>
    </message>
    <message id="tiff_interop_ifd">
        <source>interoperability IFD</source>
        <translation>interoperability IFD</translation>
    </message>
    <message id="tiff_read_by_decoders">
        <source>raw decoders read it</source>
        <translation>raw decoders read it</translation>
    </message>
    <message id="tiff_subifd">
        <source>SubIFD</source>
        <translation>SubIFD</translation>
    </message>
    <message id="log_topic_location">
        <source>Location</source>
        <translation>Location</translation>
    </message>
    <message id="log_topic_people">
        <source>People</source>
        <translation>People</translation>
    </message>
    <message id="log_topic_dates">
        <source>Dates</source>
        <translation>Dates</translation>
    </message>
    <message id="log_topic_camera">
        <source>Camera</source>
        <translation>Camera</translation>
    </message>
    <message id="log_topic_software">
        <source>Software</source>
        <translation>Software</translation>
    </message>
    <message id="log_topic_other">
        <source>Other</source>
        <translation>Other</translation>
    </message>
    <message id="log_topic_tool_warnings">
        <source>ExifTool's warnings</source>
        <translation>ExifTool's warnings</translation>
    </message>
    <message id="error_not_that_kind">
        <source>This is not %1. It was left unchanged.</source>
        <translation>This is not %1. It was left unchanged.</translation>
    </message>
    <message id="error_not_that_kind_like">
        <source>This is not %1 (it looks like %2). It was left unchanged.</source>
        <translation>This is not %1 (it looks like %2). It was left unchanged.</translation>
    </message>
    <message id="error_fragmented_movie">
        <source>%1 is a movie written in fragments, as some cameras and screen recorders write them, which Tessaly cannot clean yet; it was left unchanged.</source>
        <translation>%1 is a movie written in fragments, as some cameras and screen recorders write them, which Tessaly cannot clean yet; it was left unchanged.</translation>
    </message>
    <message id="error_format_error">
        <source>%1 is damaged, or not the kind of file its name says, so it could not be cleaned safely; it was left unchanged.</source>
        <translation>%1 is damaged, or not the kind of file its name says, so it could not be cleaned safely; it was left unchanged.</translation>
    </message>
    <message id="kind_not_jpeg">
        <source>a JPEG picture</source>
        <translation>a JPEG picture</translation>
    </message>
    <message id="kind_not_png">
        <source>a PNG picture</source>
        <translation>a PNG picture</translation>
    </message>
    <message id="kind_not_webp">
        <source>a WebP picture</source>
        <translation>a WebP picture</translation>
    </message>
    <message id="kind_not_heic">
        <source>a HEIC picture</source>
        <translation>a HEIC picture</translation>
    </message>
    <message id="kind_not_pdf">
        <source>a PDF document</source>
        <translation>a PDF document</translation>
    </message>
    <message id="kind_not_raw">
        <source>a %1 camera raw</source>
        <translation>a %1 camera raw</translation>
    </message>
    <message id="kind_not_movie">
        <source>a %1 video</source>
        <translation>a %1 video</translation>
    </message>
    <message id="kind_not_other">
        <source>a %1 file</source>
        <translation>a %1 file</translation>
    </message>
    <message id="kind_like_text">
        <source>text</source>
        <translation>text</translation>
    </message>
    <message id="kind_like_web_page">
        <source>a web page</source>
        <translation>a web page</translation>
    </message>
    <message id="kind_like_jpeg">
        <source>a JPEG picture</source>
        <translation>a JPEG picture</translation>
    </message>
    <message id="kind_like_png">
        <source>a PNG picture</source>
        <translation>a PNG picture</translation>
    </message>
    <message id="kind_like_pdf">
        <source>a PDF document</source>
        <translation>a PDF document</translation>
    </message>
    <message id="kind_like_zip">
        <source>a ZIP archive</source>
        <translation>a ZIP archive</translation>
    </message>
    <message id="kind_like_other">
        <source>a %1 file</source>
        <translation>a %1 file</translation>
    </message>
    <message id="kind_like_xml">
        <source>XML text</source>
        <translation>XML text</translation>
    </message>
    <message id="status_stopped">
        <source>Stopped</source>
        <translation>Stopped</translation>
    </message>
    <message id="status_waiting">
        <source>Waiting</source>
        <translation>Waiting</translation>
    </message>
    <message id="try_again">
        <source>Try Again</source>
        <translation>Try Again</translation>
    </message>
    <message id="stop">
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message id="quit_question_title">
        <source>Quit while cleaning?</source>
        <translation>Quit while cleaning?</translation>
    </message>
    <message id="quit_question" numerus="yes">
        <source>%Ln files are not cleaned yet. They stay as they are; a file being cleaned is finished or left as it was.</source>
        <translation>
            <numerusform>%Ln file is not cleaned yet. It stays as it is; a file being cleaned is finished or left as it was.</numerusform>
            <numerusform>%Ln files are not cleaned yet. They stay as they are; a file being cleaned is finished or left as it was.</numerusform>
        </translation>
    </message>
    <message id="quit_stop">
        <source>Stop and Quit</source>
        <translation>Stop and Quit</translation>
    </message>
    <message id="keep_cleaning">
        <source>Keep Cleaning</source>
        <translation>Keep Cleaning</translation>
    </message>
    <message id="run_summary">
        <source>%1 cleaned, %2 not cleaned</source>
        <translation>%1 cleaned, %2 not cleaned</translation>
    </message>
    <message id="run_summary_all" numerus="yes">
        <source>%Ln files cleaned</source>
        <translation>
            <numerusform>%Ln file cleaned</numerusform>
            <numerusform>%Ln files cleaned</numerusform>
        </translation>
    </message>
    <message id="summary_show">
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message id="summary_show_all">
        <source>Show All</source>
        <translation>Show All</translation>
    </message>
    <message id="summary_dismiss">
        <source>Dismiss</source>
        <translation>Dismiss</translation>
    </message>
    <message id="run_notification_title">
        <source>Cleaning finished</source>
        <translation>Cleaning finished</translation>
    </message>
    <message id="status_ready">
        <source>Not cleaned yet</source>
        <translation>Not cleaned yet</translation>
    </message>
    <message id="clean_ready" numerus="yes">
        <source>Clean %Ln Files</source>
        <translation>
            <numerusform>Clean %Ln File</numerusform>
            <numerusform>Clean %Ln Files</numerusform>
        </translation>
    </message>
    <message id="review_first">
        <source>Show files before cleaning them</source>
        <translation>Show files before cleaning them</translation>
    </message>
    <message id="confirm_copies_beside">
        <source>Cleaned copies will be saved beside them.</source>
        <translation>Cleaned copies will be saved beside them.</translation>
    </message>
    <message id="confirm_replaced">
        <source>They will be replaced by cleaned versions.</source>
        <translation>They will be replaced by cleaned versions.</translation>
    </message>
    <message id="confirm_clean_folders" numerus="yes">
        <source>Clean %Ln files from these folders?</source>
        <translation>
            <numerusform>Clean %Ln file from these folders?</numerusform>
            <numerusform>Clean %Ln files from these folders?</numerusform>
        </translation>
    </message>
    <message id="confirm_clean_in" numerus="yes">
        <source>Clean %Ln files in “%1”?</source>
        <translation>
            <numerusform>Clean %Ln file in “%1”?</numerusform>
            <numerusform>Clean %Ln files in “%1”?</numerusform>
        </translation>
    </message>
    <message id="confirm_clean_title">
        <source>Clean Many Files?</source>
        <translation>Clean Many Files?</translation>
    </message>
    <message id="cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="menu_help">
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message id="menu_manual">
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message id="menu_about">
        <source>About Tessaly</source>
        <translation>About Tessaly</translation>
    </message>
    <message id="about_version">
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message id="about_summary">
        <source>Removes hidden metadata (GPS positions, serial numbers, author names, dates, edit history) from photos, raws, videos, audio, office documents, e-books, drawings and PDFs before you share them.</source>
        <translation>Removes hidden metadata (GPS positions, serial numbers, author names, dates, edit history) from photos, raws, videos, audio, office documents, e-books, drawings and PDFs before you share them.</translation>
    </message>
    <message id="about_license">
        <source>Free software under the GNU General Public License, version 3 or later.</source>
        <translation>Free software under the GNU General Public License, version 3 or later.</translation>
    </message>
    <message id="about_close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="drop_zone_description_copy">
        <source>Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs get a cleaned copy beside them, without their hidden metadata (GPS position, camera serial numbers, author names). The originals stay as they are.</source>
        <translation>Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs get a cleaned copy beside them, without their hidden metadata (GPS position, camera serial numbers, author names). The originals stay as they are.</translation>
    </message>
    <message id="a11y_list_scroll_bar">
        <source>Scroll the file list</source>
        <translation>Scroll the file list</translation>
    </message>
    <message id="a11y_progress">
        <source>Cleaning progress</source>
        <translation>Cleaning progress</translation>
    </message>
    <message id="a11y_menu_bar">
        <source>Main menu</source>
        <translation>Main menu</translation>
    </message>
    <message id="kept_chosen">
        <source>kept, as chosen in Settings</source>
        <translation>kept, as chosen in Settings</translation>
    </message>
    <message id="family_location">
        <source>Location</source>
        <translation>Location</translation>
    </message>
    <message id="family_dates">
        <source>Dates and times</source>
        <translation>Dates and times</translation>
    </message>
    <message id="family_people">
        <source>People and credit</source>
        <translation>People and credit</translation>
    </message>
    <message id="family_camera">
        <source>Camera and lens</source>
        <translation>Camera and lens</translation>
    </message>
    <message id="family_serials">
        <source>Serial numbers and counters</source>
        <translation>Serial numbers and counters</translation>
    </message>
    <message id="family_descriptions">
        <source>Descriptions, titles, keywords and comments</source>
        <translation>Descriptions, titles, keywords and comments</translation>
    </message>
    <message id="family_software">
        <source>Software and edit history</source>
        <translation>Software and edit history</translation>
    </message>
    <message id="family_thumbnails">
        <source>Thumbnails and previews</source>
        <translation>Thumbnails and previews</translation>
    </message>
    <message id="family_other">
        <source>Everything else</source>
        <translation>Everything else</translation>
    </message>
    <message id="family_short_location">
        <source>location</source>
        <translation>location</translation>
    </message>
    <message id="family_short_dates">
        <source>dates</source>
        <translation>dates</translation>
    </message>
    <message id="family_short_people">
        <source>credit</source>
        <translation>credit</translation>
    </message>
    <message id="family_short_camera">
        <source>camera</source>
        <translation>camera</translation>
    </message>
    <message id="family_short_serials">
        <source>serials</source>
        <translation>serials</translation>
    </message>
    <message id="family_short_descriptions">
        <source>descriptions</source>
        <translation>descriptions</translation>
    </message>
    <message id="family_short_software">
        <source>software</source>
        <translation>software</translation>
    </message>
    <message id="family_short_thumbnails">
        <source>thumbnails</source>
        <translation>thumbnails</translation>
    </message>
    <message id="family_short_other">
        <source>everything else</source>
        <translation>everything else</translation>
    </message>
    <message id="family_never_kept">
        <source>Always removed, from every kind of file</source>
        <translation>Always removed, from every kind of file</translation>
    </message>
    <message id="family_kept_in">
        <source>Kept only in %1; always removed from other kinds</source>
        <translation>Kept only in %1; always removed from other kinds</translation>
    </message>
    <message id="keeping_note">
        <source>Keeping: %1</source>
        <translation>Keeping: %1</translation>
    </message>
    <message id="kept_in_file_note">
        <source>Kept, as chosen in Settings: %1</source>
        <translation>Kept, as chosen in Settings: %1</translation>
    </message>
    <message id="what_to_remove">
        <source>What to remove</source>
        <translation>What to remove</translation>
    </message>
    <message id="remove_everything">
        <source>Everything (recommended)</source>
        <translation>Everything (recommended)</translation>
    </message>
    <message id="remove_only_location">
        <source>Only the location</source>
        <translation>Only the location</translation>
    </message>
</context>
</TS>
