#include "integration/integrate/integrate_texts.h"

#include "common/error_report.h"

namespace tamber::integrate {

std::array<std::string, 17> TextsFor(std::int16_t language) {
    const std::string address(kSupportAddress);
    if (language == 0)
        return {"Please contact " + address + " with this error message.",
                "Click to launch ",
                "You need to re-start ACT! for the changes to take effect!",
                "Do you want to re-start it now?",
                "Can't add icon or menu item automatically. You will need to proceed manually.",
                "Integrate with ACT!",
                "Contacts",
                "Contact List",
                "Groups",
                "Task List",
                "Calendars",
                "E-mail",
                "Toolbar Button added to the following Views :",
                "Menu Item added to the following Views :",
                "&Close",
                "&Cancel",
                "You will need to re-start ACT! to see the changes."};
    if (language == 1)
        return {"S.V.P. contactez " + address + " avec ce message.",
                "Cliquez pour lancer ",
                "Vous devez red\xE9marrer ACT! pour que les changements soient pris en compte!",
                "Voulez-vous red\xE9marrez ACT! maintenant?",
                "Impossible d'ajouter l'ic\xF4ne ou l'entr\xE9\x65 du menu. Vous devrez le faire "
                "manuellement.",
                "Int\xE9gration \xE0 ACT!",
                "Contacts",
                "Liste des contacts",
                "Groupes",
                "Liste des t\xE2\x63hes",
                "Agendas",
                "E-mail",
                "Bouton ajout\xE9 \xE0 la barre d'outils des \xE9\x63rans suivants : ",
                "Entr\xE9\x65 ajout\xE9\x65 au menu Outils des \xE9\x63rans suivants :",
                "&Fermer",
                "&Annuler",
                "Vous devrez red\xE9marrer ACT! pour que les changements soient pris en compte."};
    return {};
}

} // namespace tamber::integrate
