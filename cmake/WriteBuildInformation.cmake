# Writes the build-information header of one program (cmake -P). Takes TEMPLATE,
# OUTPUT, VERSION, FEED_URL, CA_FILE and either PUBLIC_KEY or PUBLIC_KEY_FILE,
# a file holding the Base64 key (made during the build for test programs).
if(PUBLIC_KEY_FILE)
    file(STRINGS ${PUBLIC_KEY_FILE} PUBLIC_KEY LIMIT_COUNT 1)
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
