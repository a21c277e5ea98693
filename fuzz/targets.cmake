# One name per fuzz target: fuzz_<name>.cpp here, its corpus in corpus/<name>/.
set(TESSALY_FUZZ_TARGETS icc jpeg png webp heif movie tiff matroska gif jxl mp3 flac ogg wav svg office officexml)
