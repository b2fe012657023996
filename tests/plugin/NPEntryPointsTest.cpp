// The entry points: table checks and error codes, registration data, the instance count and
// the window subclassing.
#include <gtest/gtest.h>

#include <cstring>

#include "PluginTestSupport.h"
#include "plugin/PluginHost.h"

using namespace plugintest;

TEST(PluginEntryPoints, TablesAreCheckedBeforeUse) {
  EXPECT_EQ(NP_GetEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  NPPluginFuncs plugin{};
  plugin.size = 51;
  EXPECT_EQ(NP_GetEntryPoints(&plugin), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(plugin.newp, nullptr);
  plugin.size = 52;
  plugin.javaClass = &plugin;
  plugin.event = reinterpret_cast<NPP_HandleEventProcPtr>(1);
  ASSERT_EQ(NP_GetEntryPoints(&plugin), NPERR_NO_ERROR);
  EXPECT_EQ(plugin.version, 9);
  EXPECT_NE(plugin.newp, nullptr);
  EXPECT_NE(plugin.destroy, nullptr);
  EXPECT_NE(plugin.setwindow, nullptr);
  EXPECT_NE(plugin.newstream, nullptr);
  EXPECT_NE(plugin.destroystream, nullptr);
  EXPECT_NE(plugin.asfile, nullptr);
  EXPECT_NE(plugin.writeready, nullptr);
  EXPECT_NE(plugin.write, nullptr);
  EXPECT_NE(plugin.print, nullptr);
  EXPECT_EQ(plugin.event, nullptr);

  EXPECT_EQ(NP_Initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  NPNetscapeFuncs browser{};
  browser.size = sizeof browser;
  browser.version = 1 << 8; // major version 1
  EXPECT_EQ(NP_Initialize(&browser), NPERR_INCOMPATIBLE_VERSION_ERROR);
  browser.version = 0x0013;
  browser.size = 67;
  EXPECT_EQ(NP_Initialize(&browser), NPERR_INVALID_FUNCTABLE_ERROR);
  browser.size = 68;
  EXPECT_EQ(plugin.javaClass, &plugin);
  EXPECT_EQ(NP_Initialize(&browser), NPERR_NO_ERROR);
  // Nothing is offered to scripting.
  EXPECT_EQ(plugin.javaClass, nullptr);
  EXPECT_EQ(NP_Shutdown(), NPERR_NO_ERROR);
  Browser restore; // puts the full format registry back when it goes
}

TEST(PluginEntryPoints, RegistrationData) {
  EXPECT_STREQ(NP_GetMIMEDescription(), "image/RAZizazed:wif,vuw:VU Wavelet Image Files");
  EXPECT_STREQ(NP_GetPluginVersion(), "2,0,0,0");
  const char* text = nullptr;
  EXPECT_EQ(NP_GetValue(nullptr, NPPVpluginNameString, &text), NPERR_NO_ERROR);
  EXPECT_STREQ(text, "VU Internet Plug-in");
  EXPECT_EQ(NP_GetValue(nullptr, NPPVpluginDescriptionString, &text), NPERR_NO_ERROR);
  EXPECT_STREQ(text, "VU Wavelet Image Files");
  EXPECT_EQ(NP_GetValue(nullptr, NPPVpluginNameString, nullptr), NPERR_INVALID_PARAM);
  EXPECT_NE(NP_GetValue(nullptr, static_cast<NPPVariable>(99), &text), NPERR_NO_ERROR);
}

TEST(PluginEntryPoints, InstanceCallsAnswerTheirErrorCodes) {
  Browser browser;
  NPPluginFuncs& p = browser.plugin;
  char mime[] = "image/RAZizazed";
  EXPECT_EQ(p.newp(mime, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(vuPluginInstanceCount(), 0);

  NPWindow record{};
  NPP_t empty{}; // an instance record without plug-in data
  EXPECT_EQ(p.setwindow(nullptr, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(p.setwindow(nullptr, &record), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(p.setwindow(&empty, &record), NPERR_GENERIC_ERROR);
  uint16_t type = 0;
  EXPECT_EQ(p.newstream(nullptr, mime, nullptr, 0, &type), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(p.newstream(&empty, mime, nullptr, 0, &type), NPERR_NO_ERROR);
  EXPECT_EQ(type, NP_NORMAL);
  EXPECT_EQ(p.destroystream(nullptr, nullptr, NPRES_DONE), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(p.destroystream(&empty, nullptr, NPRES_DONE), NPERR_NO_ERROR);
  uint8_t byte = 'W';
  EXPECT_EQ(p.writeready(nullptr, nullptr), -1);
  EXPECT_EQ(p.write(&empty, nullptr, 0, 1, &byte), -1);
  EXPECT_EQ(p.destroy(&empty, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(vuPluginInstanceCount(), 0);

  {
    TestInstance first(browser);
    TestInstance second(browser);
    EXPECT_EQ(vuPluginInstanceCount(), 2);
    // A record without a window handle attaches nothing.
    NPP_t third{};
    ASSERT_EQ(p.newp(mime, &third, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_NO_ERROR);
    NPWindow none{};
    EXPECT_EQ(p.setwindow(&third, &none), NPERR_NO_ERROR);
    EXPECT_EQ(static_cast<PluginInstance*>(third.pdata)->window, nullptr);
    EXPECT_EQ(vuPluginInstanceCount(), 3);
    EXPECT_EQ(p.destroy(&third, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(vuPluginInstanceCount(), 2);
    EXPECT_EQ(p.newstream(&first.npp, mime, &first.stream, 0, &type), NPERR_NO_ERROR);
    EXPECT_EQ(p.writeready(&first.npp, &first.stream), 14);
  }
  EXPECT_EQ(vuPluginInstanceCount(), 0);
}

namespace {
int gPreviousMessages = 0;
intptr_t CountingProc(vuHostWindow* window, int message, uintptr_t wParam, intptr_t lParam) {
  ++gPreviousMessages;
  return vuDefWindowProc(window, message, wParam, lParam) + 7;
}
} // namespace

TEST(PluginEntryPoints, TheFirstWindowIsSubclassedAndRestoredOnDestroy) {
  Browser browser;
  TestWindow window(50, 40), other(30, 20);
  window.SetWindowProc(CountingProc);
  {
    NPP_t npp{};
    char mime[] = "image/RAZizazed";
    ASSERT_EQ(browser.plugin.newp(mime, &npp, NP_FULL, 0, nullptr, nullptr, nullptr),
              NPERR_NO_ERROR);
    NPWindow record{};
    record.window = &window;
    gPreviousMessages = 0;
    ASSERT_EQ(browser.plugin.setwindow(&npp, &record), NPERR_NO_ERROR);
    EXPECT_EQ(window.WindowProc(), PluginWindowProc);
    EXPECT_EQ(window.GetProp("TOVRA_PLUGIN"), npp.pdata);
    EXPECT_EQ(window.paints, 1); // invalidated with erase and updated
    EXPECT_EQ(gPreviousMessages, 0);
    // Messages the plug-in does not handle reach the previous procedure.
    EXPECT_EQ(window.SendMessage(0x0200), 7);
    EXPECT_EQ(gPreviousMessages, 1);
    EXPECT_EQ(window.SendMessage(VU_WM_ERASEBKGND), 1);

    // A second window: the first stays attached and is repainted; the second is left alone.
    record.window = &other;
    ASSERT_EQ(browser.plugin.setwindow(&npp, &record), NPERR_NO_ERROR);
    EXPECT_EQ(window.paints, 2);
    EXPECT_EQ(other.paints, 0);
    EXPECT_EQ(other.WindowProc(), vuDefWindowProc);
    EXPECT_EQ(other.GetProp("TOVRA_PLUGIN"), nullptr);
    EXPECT_EQ(static_cast<PluginInstance*>(npp.pdata)->window, &window);

    ASSERT_EQ(browser.plugin.destroy(&npp, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(npp.pdata, nullptr);
    EXPECT_EQ(window.WindowProc(), CountingProc);
    EXPECT_EQ(window.GetProp("TOVRA_PLUGIN"), nullptr);
  }
}
