# JUCE's modules compile once into one static library that the plug-in, the
# tools, the tests and the benchmarks all link. Plug-in hosting is in it for
# the tests that load the built bundles.
add_library(tavo_juce STATIC)

target_link_libraries(tavo_juce
    PRIVATE
        juce::juce_audio_utils
        juce::juce_audio_processors
        juce::juce_audio_formats
        juce::juce_cryptography
        juce::juce_opengl
    PUBLIC
        juce::juce_recommended_config_flags
        PkgConfig::TAVO_SYSTEM_LIBS
        Threads::Threads
        ${CMAKE_DL_LIBS})

target_compile_definitions(tavo_juce
    PUBLIC
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=1
        JUCE_LOAD_CURL_SYMBOLS_LAZILY=0
        JUCE_ALSA=1
        JUCE_JACK=1
        JUCE_VST3_CAN_REPLACE_VST2=0
        JUCE_PLUGINHOST_LV2=1
        JUCE_PLUGINHOST_VST3=1
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_STRICT_REFCOUNTEDPOINTER=1
    INTERFACE
        $<TARGET_PROPERTY:tavo_juce,COMPILE_DEFINITIONS>)

target_include_directories(tavo_juce
    INTERFACE
        $<TARGET_PROPERTY:tavo_juce,INCLUDE_DIRECTORIES>)

set_target_properties(tavo_juce PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)
