# The plug-in in its three formats. The identity here must agree with
# host/PluginIdentity.h.
set(TAVO_COMPANY_WEBSITE "https://www.brellic.example")
set(TAVO_LV2_URI "${TAVO_COMPANY_WEBSITE}/plugins/tavo")

juce_add_plugin(Tavo
    PRODUCT_NAME "Tavo"
    COMPANY_NAME "Brellic"
    COMPANY_WEBSITE "${TAVO_COMPANY_WEBSITE}"
    COMPANY_EMAIL "support@brellic.example"
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
