# The plug-in in its three formats. The identity here must agree with
# host/PluginIdentity.h.
set(TAVO_COMPANY_WEBSITE "https://www.brellic.example")
set(TAVO_LV2_URI "${TAVO_COMPANY_WEBSITE}/plugins/tavo")

juce_add_plugin(Tavo
    PRODUCT_NAME "Tavo"
    COMPANY_NAME "Brellic"
    COMPANY_WEBSITE "${TAVO_COMPANY_WEBSITE}"
    COMPANY_EMAIL "mailto:support@brellic.example"
    DESCRIPTION "Tavo"
    VERSION 1.0.6
    PLUGIN_MANUFACTURER_CODE Brlc
    PLUGIN_CODE rivo
    FORMATS LV2 VST3 Standalone
    LV2URI "${TAVO_LV2_URI}"
    IS_SYNTH FALSE
    NEEDS_MIDI_INPUT FALSE
    NEEDS_MIDI_OUTPUT FALSE
    IS_MIDI_EFFECT FALSE
    EDITOR_WANTS_KEYBOARD_FOCUS FALSE
    VST3_CATEGORIES Fx Tools
    COPY_PLUGIN_AFTER_BUILD FALSE)

target_sources(Tavo PRIVATE "${CMAKE_SOURCE_DIR}/host/plugin/PluginEntry.cpp")

# Debian's JUCE derives the URI in the binary from the product name before it
# reads LV2URI, so the binary and manifest.ttl would disagree: pin it.
target_compile_definitions(Tavo PUBLIC
    JucePlugin_LV2URI="${TAVO_LV2_URI}")

target_link_libraries(Tavo PRIVATE tavo_engine)

# Only the entry points leave the binaries; everything else stays private to
# each, whatever other plug-ins a host loads beside it. The binaries are never
# unloaded once loaded: the schemas register with the shared Protocol Buffers
# runtime when loaded and cannot be withdrawn, so loading them a second time
# after an unload (hosts do, when they rescan) would end the process.
target_link_options(Tavo_LV2 PRIVATE "-Wl,--version-script=${CMAKE_SOURCE_DIR}/host/plugin/lv2-exports.map" "-Wl,-z,nodelete")
target_link_options(Tavo_VST3 PRIVATE "-Wl,--version-script=${CMAKE_SOURCE_DIR}/host/plugin/vst3-exports.map" "-Wl,-z,nodelete")

# The plug-in's class and licence in dsp.ttl, after the framework writes it.
add_custom_command(TARGET Tavo_LV2 POST_BUILD
    COMMAND "${CMAKE_COMMAND}"
        "-DTTL=$<TARGET_FILE_DIR:Tavo_LV2>/dsp.ttl"
        "-DURI=${TAVO_LV2_URI}"
        "-DLICENCE=${TAVO_COMPANY_WEBSITE}/licence"
        -P "${CMAKE_SOURCE_DIR}/cmake/Lv2Metadata.cmake"
    VERBATIM)
