#include "engine/installation_diagnosis.h"

#include "payload/catalogue.h"
#include "payload/diagnostic_log.h"

void DiagnoseInstallation(const TInstallTarget& target, const std::string& how,
                          TComponentSet components, const TAttachedFiles& catalogue) {
    if (!DiagnosticLogOpen()) return;
    Diagnose("Destination: " + target.DestDir + " (" + how + ")" +
             (target.Portable ? ", portable" : ""));
    for (int component = 0; component < ComponentCount; ++component)
        if (components.Has(component))
            Diagnose(std::string("Component: ") + ComponentNames[component]);
    for (int component = 0; component < ComponentCount; ++component)
        for (const TFileToInstall& copy : catalogue.InstallLists[component])
            Diagnose("Planned: " + copy.Target + " (" + copy.Source->Name + ")");
}
