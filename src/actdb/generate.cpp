#include "actdb/generate.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

namespace tamber::actdb {
namespace {

// splitmix64: the same numbers on every compiler and platform, unlike <random>'s distributions.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T> const T& Pick(const std::vector<T>& v) { return v[Below(int(v.size()))]; }

  private:
    uint64_t state_;
};

// Text is cp1252: accented letters are written as byte escapes.
const std::vector<std::string> kFirstNames = {"H\xe9l\xe8"
                                              "ne",
                                              "Jos\xe9",
                                              "Zo\xeb",
                                              "Fran\xe7ois",
                                              "Ren\xe9"
                                              "e",
                                              "Bj\xf6rn",
                                              "Anna",
                                              "Marcus",
                                              "Priya",
                                              "Tom\xe1s",
                                              "Ingrid",
                                              "Kenji",
                                              "Laura",
                                              "Samuel",
                                              "Agn\xe8s",
                                              "Owen",
                                              "Chlo\xe9",
                                              "Dmitri",
                                              "Fatima",
                                              "Gr\xe9goire"};
const std::vector<std::string> kLastNames = {
    "O'Connor", "D'Arcy",   "M\xfcller", "Lef\xe8vre", "Nakamura", "Okafor",   "Lindqvist",
    "Moreau",   "Brennan",  "Castillo",  "Haddad",     "Novak",    "Ferreira", "Kowalski",
    "Dubois",   "Ashworth", "Van Dijk",  "Ng",         "Ab\xe9l",  "Whitcombe"};
const std::vector<std::string> kCompanyFirst = {
    "Arbor",    "Belden",  "Cobalt",    "Dunmore",   "Elmstead", "Fairhaven", "Granite",  "Harbor",
    "Ironwood", "Juniper", "Kestrel",   "Larchmont", "Marlow",   "Norland",   "Oakridge", "Pelham",
    "Quarry",   "Redfern", "Saltmarsh", "Thistle",   "Upland",   "Vantage",   "Wexford",  "Yarrow"};
const std::vector<std::string> kCompanySecond = {"Tools",
                                                 "Supply",
                                                 "Partners",
                                                 "Logistics",
                                                 "Consulting",
                                                 "Foods",
                                                 "Design",
                                                 "M\xe9"
                                                 "dia",
                                                 "B\xe2timent",
                                                 "& Fils",
                                                 "Holdings",
                                                 "Print"};
// Each city with its own state or province and country.
struct Place {
    const char* city;
    const char* state;
    const char* country;
};
const std::vector<Place> kPlaces = {{"Lyon", "ARA", "France"},
                                    {"Montr\xe9"
                                     "al",
                                     "QC", "Canada"},
                                    {"Bristol", "", "United Kingdom"},
                                    {"Denver", "CO", "United States"},
                                    {"Qu\xe9"
                                     "bec",
                                     "QC", "Canada"},
                                    {"Leeds", "", "United Kingdom"},
                                    {"Austin", "TX", "United States"},
                                    {"Toulouse", "OCC", "France"},
                                    {"Halifax", "NS", "Canada"},
                                    {"Portland", "OR", "United States"},
                                    {"Li\xe8ge", "", "Belgique"},
                                    {"Toronto", "ON", "Canada"},
                                    {"Seattle", "WA", "United States"}};
const Place kSaintEtienne = {"Saint-\xc9tienne", "ARA", "France"};
std::vector<std::string> Column(const char* Place::*column) {
    std::vector<std::string> values;
    for (const Place& p : kPlaces)
        if (*(p.*column) && std::find(values.begin(), values.end(), p.*column) == values.end())
            values.push_back(p.*column);
    return values;
}
const std::vector<std::string> kCities = Column(&Place::city);
const std::vector<std::string> kStates = Column(&Place::state);
const std::vector<std::string> kCountries = Column(&Place::country);
const std::vector<std::string> kRegions = {"North", "South", "East", "West", "Central"};
const std::vector<std::string> kResults = {"Call back", "Sent brochure", "Meeting set",
                                           "No answer", "Order placed",  "Not interested"};
const std::vector<std::string> kProducts = {"Standard", "Premium", "Entreprise", "Support only"};
const std::vector<std::string> kStatus = {"Customer", "Prospect", "Vendor", "Former customer"};
const std::vector<std::string> kTitles = {
    "Sales Manager", "Director", "Buyer", "Owner", "Office Manager", "Directrice g\xe9n\xe9rale"};
const std::vector<std::string> kDepartments = {"Sales", "Purchasing", "Finance", "Direction",
                                               "Logistique"};
const std::vector<std::string> kGroupNames = {"Prospects",
                                              "Customers",
                                              "Partners' Club",
                                              "Suppliers",
                                              "VIP",
                                              "Newsletter",
                                              "Trade show 2026",
                                              "Golf day",
                                              "Board",
                                              "Press",
                                              "Former clients",
                                              "r\xe9sum\xe9 requests",
                                              "Clients \xce"
                                              "le-de-France",
                                              "ACME project",
                                              "Holiday cards",
                                              "Webinar attendees",
                                              "o'hare office",
                                              "Beta testers",
                                              "Key accounts",
                                              "Distributeurs",
                                              "Referrals",
                                              "Cold leads",
                                              "Events",
                                              "Support contracts"};
const std::vector<std::string> kSubgroupNames = {"North",
                                                 "South",
                                                 "Hot leads",
                                                 "Cold leads",
                                                 "Ann\xe9"
                                                 "e 2025",
                                                 "Tier 1",
                                                 "tier 2",
                                                 "Renewals",
                                                 "Speakers",
                                                 "D\xe9"
                                                 "cideurs",
                                                 "Europe",
                                                 "Americas",
                                                 "Pending",
                                                 "Won",
                                                 "Lost",
                                                 "Invited",
                                                 "Confirmed",
                                                 "Alumni"};

const char kIdChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

std::string NewId(Rng& rng, std::unordered_set<std::string>& used, char first) {
    for (;;) {
        std::string id(1, first);
        while (id.size() < kIdLength)
            id += kIdChars[rng.Below(36)];
        if (used.insert(id).second) return id;
    }
}

std::string Numbered(const std::vector<std::string>& names, int i) {
    const std::string& base = names[static_cast<std::size_t>(i) % names.size()];
    int round = i / static_cast<int>(names.size());
    return round == 0 ? base : base + ' ' + std::to_string(round + 1);
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::vector<Field> StandardFields() {
    auto f = [](int16_t id, const char* label, int16_t type, FieldWindow window = FieldWindow::Edit,
                std::vector<std::string> popup = {}, bool hasPopup = false) {
        return Field{id, label, type, window, hasPopup || !popup.empty(), std::move(popup)};
    };
    return {
        f(25, "Company", kCharacter),
        f(26, "Contact", kCharacter),
        f(27, "Title", kInitialCaps),
        f(28, "Address 1", kCharacter),
        f(29, "City", kInitialCaps, FieldWindow::Edit, kCities),
        f(30, "State", kUppercase, FieldWindow::Edit, kStates),
        f(31, "Zip", kCharacter),
        f(32, "Country", kCharacter, FieldWindow::Edit, kCountries),
        f(33, "Phone", kPhone),
        f(40, "Department", kCharacter),
        f(41, "E-mail", kLowercase),
        f(42, "Last Results", kCharacter, FieldWindow::Edit, kResults),
        f(50, "Region", kCharacter, FieldWindow::Edit, kRegions),
        f(51, "Territory", kCharacter),
        f(52, "Product Line", kCharacter, FieldWindow::DropDown, kProducts),
        f(60, "Notes", kMemo, FieldWindow::Notes),
        f(61, "Birthday", kDate),
        f(62, "Revenue", kCurrency),
        f(78, "First Name", kCharacter),
        f(79, "Last Name", kCharacter),
        f(90, "ID/Status", kCharacter, FieldWindow::Edit, kStatus),
        f(200, "User 1", kCharacter),
        f(201, "User 2", kCharacter),
        f(202, "User 3", kCharacter),
        f(203, "User 4", kCharacter, FieldWindow::Edit, {}, true), // a drop-down list, still empty
    };
}

} // namespace

Database Generate(const GenerateOptions& o) {
    Rng rng(o.seed);
    Database db;
    db.fields = StandardFields();

    const int contacts = std::max(o.contacts, o.bigGroup);
    const int companies = std::max(1, contacts / 5);
    std::vector<std::string> companyNames;
    std::unordered_set<std::string> named;
    for (int i = 0; i < companies; ++i) {
        // A first word comes back every 24 companies, with another second word each time
        // while there is one left; only then with a number.
        const std::string& first =
            kCompanyFirst[static_cast<std::size_t>(i) % kCompanyFirst.size()];
        const int second = rng.Below(static_cast<int>(kCompanySecond.size()));
        std::string name;
        for (std::size_t k = 0; k < kCompanySecond.size() && (name.empty() || named.count(name));
             ++k)
            name = first + " " + kCompanySecond[(second + k) % kCompanySecond.size()];
        if (named.count(name))
            name += ' ' + std::to_string(i / static_cast<int>(kCompanyFirst.size()) + 1);
        named.insert(name);
        companyNames.push_back(name);
    }

    std::unordered_set<std::string> used;
    for (int i = 0; i < contacts; ++i) {
        Contact c{NewId(rng, used, 'C'), {}};
        std::string first = rng.Pick(kFirstNames), last = rng.Pick(kLastNames);
        std::string company;
        if (!rng.Chance(4)) {
            company = companyNames[static_cast<std::size_t>(rng.Below(companies))];
            // Typed by hand in ACT!: now and then the same company in another case.
            int variant = rng.Below(100);
            if (variant < 5)
                company = Upper(company);
            else if (variant < 8)
                company = Lower(company);
        }
        // One random draw per statement where the result is text: the operands of an
        // expression are evaluated in an unspecified order, which would differ by compiler.
        std::string region = rng.Pick(kRegions);
        c.SetValue(25, company);
        c.SetValue(26, first + " " + last);
        c.SetValue(27, rng.Pick(kTitles));
        int number = 1 + rng.Below(999);
        c.SetValue(28, std::to_string(number) + " " + rng.Pick(kCompanyFirst) + " Street");
        const Place& place = rng.Chance(90) ? rng.Pick(kPlaces) : kSaintEtienne;
        c.SetValue(29, place.city);
        c.SetValue(30, place.state);
        rng.Next(); // the draw the state once took: the values after it stay as they were
        c.SetValue(31, std::to_string(10000 + rng.Below(89999)));
        c.SetValue(32, place.country);
        rng.Next(); // the country's, likewise
        int area = 200 + rng.Below(700);
        int line = 1000 + rng.Below(9000);
        c.SetValue(33, '(' + std::to_string(area) + ") 555-" + std::to_string(line));
        c.SetValue(40, rng.Pick(kDepartments));
        c.SetValue(41, Lower(first.substr(0, 1)) + "." + Lower(last) + "@example.com");
        if (rng.Chance(70)) c.SetValue(42, rng.Pick(kResults));
        c.SetValue(50, region);
        c.SetValue(51, region + "-" + std::to_string(1 + rng.Below(3)));
        c.SetValue(52, rng.Pick(kProducts));
        if (rng.Chance(30)) {
            std::string city = rng.Pick(kCities);
            int weeks = 1 + rng.Below(11);
            c.SetValue(60, "Met at the " + city + " fair.\r\nCall in " + std::to_string(weeks) +
                               " weeks.");
        }
        int month = 1 + rng.Below(12);
        int day = 1 + rng.Below(28);
        int year = 50 + rng.Below(50);
        c.SetValue(61, std::to_string(month) + '/' + std::to_string(day) + "/19" +
                           std::to_string(year));
        c.SetValue(62, std::to_string(rng.Below(500)) + "000.00");
        c.SetValue(78, first);
        c.SetValue(79, last);
        c.SetValue(90, rng.Pick(kStatus));
        if (rng.Chance(20)) c.SetValue(200, "ref " + std::to_string(rng.Below(1000)));
        db.contacts.push_back(std::move(c));
    }

    // Groups: top-level ones, each followed by its subgroups; a third of them have some.
    const int subgroups = std::clamp(o.subgroups, 0, std::max(0, o.groups - 1));
    const int top = o.groups - subgroups;
    const int parents = subgroups == 0 ? 0 : std::clamp((o.groups + 2) / 3, 1, top);
    std::vector<Group> tops;
    for (int i = 0; i < top; ++i) {
        // One identifier holds an apostrophe, as ACT!'s identifiers may.
        std::string id = NewId(rng, used, 'G');
        while (i == 2) {
            id[5] = '\'';
            if (used.insert(id).second) break;
            id = NewId(rng, used, 'G');
        }
        tops.push_back(Group{id, Numbered(kGroupNames, i), "", {}});
    }
    std::vector<std::vector<Group>> children(static_cast<std::size_t>(top));
    std::vector<Group> late;
    for (int s = 0; s < subgroups; ++s) {
        std::size_t p = static_cast<std::size_t>(s % parents);
        Group g{NewId(rng, used, 'G'), Numbered(kSubgroupNames, s), tops[p].id, {}};
        if (s == subgroups - 1 && subgroups >= 2) g.parent = children[0].front().id; // nested
        if (subgroups >= 4 && s >= subgroups - 2)
            late.push_back(std::move(g));
        else
            children[p].push_back(std::move(g));
    }
    for (int i = 0; i < top; ++i) {
        db.groups.push_back(tops[static_cast<std::size_t>(i)]);
        for (auto& g : children[static_cast<std::size_t>(i)])
            db.groups.push_back(std::move(g));
    }
    for (auto& g : late)
        db.groups.push_back(std::move(g));

    // Members: the first group gets bigGroup contacts, the last none, the others a few.
    for (std::size_t gi = 0; gi < db.groups.size(); ++gi) {
        Group& g = db.groups[gi];
        int n = gi == 0                      ? o.bigGroup
                : gi + 1 == db.groups.size() ? 0
                                             : std::min(contacts, rng.Below(25));
        // A run of distinct contacts from a random start keeps members unique without a set.
        int start = rng.Below(contacts), step = 1 + 2 * rng.Below(3);
        std::unordered_set<int> taken;
        for (int k = 0, c = start; static_cast<int>(g.members.size()) < n; ++k) {
            if (taken.insert(c).second)
                g.members.push_back(db.contacts[static_cast<std::size_t>(c)].id);
            c = (c + step) % contacts;
            if (k >= contacts) step = 1; // step not coprime with the count: fall back
        }
    }
    return db;
}

} // namespace tamber::actdb
