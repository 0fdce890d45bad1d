// Callback libraries of job types: one callback per section of a sectioned
// configuration file.
#include "config/zx_callback_library.h"

#include <new>

#include "config/zx_config_file.h"
#include "config/zx_config_tree.h"
#include "model/zx_string_list.h"
#include "util/zx_out_of_memory.h"

void loadCallbacks(const ZxString& file, ZxCallbackList& callbacks) {
  ZxConfigTree tree(file);
  ZxStringList sections;
  tree.sectionNames(sections);
  for (int i = 0; i < sections.count(); ++i) {
    const ZxString* name = sections.get(i);
    const ZxConfigFile* section = name ? tree.section(*name) : nullptr;
    if (!section) continue;
    const ZxString& language = section->get("language");
    const ZxString& code = section->get("code");
    if (language.isEmpty() || code.isEmpty()) continue;
    ZxCallback* callback = zxNew<ZxCallback>();
    if (!callback) return;
    // A library section is named after the events it fires on, so its name
    // is the callback's trigger string.
    callback->setTriggers(*name);
    callback->setCode(code);
    callback->setLanguageText(language);
    const ZxString& max = section->get("max");
    if (!max.isEmpty()) callback->setMaximum(max.toInt());
    callbacks.append(callback);
  }
}
