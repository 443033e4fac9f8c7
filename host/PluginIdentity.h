#pragma once

/** What every plug-in format, the tools and the update check show of the
    product. cmake/Plugin.cmake passes the same values to the format wrappers. */
namespace Tavo::PluginIdentity
{
inline constexpr const char* name = "Tavo";
inline constexpr const char* manufacturer = "Brellic";
inline constexpr const char* versionString = "1.0.6";
inline constexpr int versionCode = 0x00010006;
inline constexpr const char* pluginCode = "rivo";
inline constexpr const char* manufacturerCode = "Brlc";

/** The maker's site; a reserved example domain until the real one is chosen. */
inline constexpr const char* siteRoot = "https://www.brellic.example/";
inline constexpr const char* lv2Uri = "https://www.brellic.example/plugins/tavo";

inline constexpr double tailLengthSeconds = 1.0;
} // namespace Tavo::PluginIdentity
