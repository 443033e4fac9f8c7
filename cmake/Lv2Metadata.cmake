# Run after the LV2 helper has written dsp.ttl: adds what the framework does
# not write (the plug-in's class and its licence). Called with -DTTL=<file>
# -DURI=<plug-in URI> -DLICENCE=<licence URI>.
file(READ "${TTL}" contents)

if(NOT contents MATCHES "doap:license")
    file(APPEND "${TTL}" "\n<${URI}>\n\ta lv2:UtilityPlugin ;\n\tdoap:license <${LICENCE}> .\n")
endif()
