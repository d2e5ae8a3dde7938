// Built-in airlines: IATA code, ICAO designator, name, radio callsign and
// country, sorted by ICAO designator, with an index sorted by IATA code; the
// lookups in airlines.cpp search both by halves.
//
// Written by scripts/generate-airlines.py from the OpenFlights airline list
// (airlines.dat, Open Database License), as of 2026-12-10: the airlines marked
// active with both codes, plus a few cargo carriers OpenFlights marks inactive.
// Where several share an IATA code the index names one of them (the script
// says how). Do not edit by hand: change the script and run it again.
#include "reference/airlines.h"

namespace corvane::reference {

namespace {

// clang-format off
const Airline kAirlineRows[] = {
    {"AN", "AAA", "Ansett Australia", "ANSETT", "Australia"},
    {"ZI", "AAF", "Aigle Azur", "AIGLE AZUR", "France"},
    {"AQ", "AAH", "Aloha Airlines", "ALOHA", "United States"},
    {"AA", "AAL", "American Airlines", "AMERICAN", "United States"},
    {"WD", "AAN", "Amsterdam Airlines", "AMSTEL", "Netherlands"},
    {"OZ", "AAR", "Asiana Airlines", "ASIANA", "South Korea"},
    {"4K", "AAS", "Askari Aviation", "AL-AAS", "Pakistan"},
    {"8U", "AAW", "Afriqiyah Airways", "AFRIQIYAH", "Libya"},
    {"G4", "AAY", "Allegiant Air", "ALLEGIANT", "United States"},
    {"CC", "ABD", "Air Atlanta Icelandic", "ATLANTA", "Iceland"},
    {"U1", "ABI", "Aviabus", "", "Russia"},
    {"BX", "ABL", "Air Busan", "Air Busan", "South Korea"},
    {"ED", "ABQ", "Airblue", "PAKBLUE", "Pakistan"},
    {"9T", "ABS", "Transwest Air", "ATHABASKA", "Canada"},
    {"GB", "ABX", "ABX Air", "ABEX", "United States"},
    {"G9", "ABY", "Air Arabia", "ARABIA", "United Arab Emirates"},
    {"AC", "ACA", "Air Canada", "AIR CANADA", "Canada"},
    {"SB", "ACI", "Air Caledonie International", "AIRCALIN", "France"},
    {"8V", "ACP", "Astral Aviation", "ASTRAL CARGO", "Kenya"},
    {"ZY", "ADE", "Ada Air", "ADA AIR", "Albania"},
    {"AP", "ADH", "Air One", "HERON", "Italy"},
    {"HD", "ADO", "Hokkaido International Airlines", "AIR DO", "Japan"},
    {"JP", "ADR", "Adria Airways", "ADRIA", "Slovenia"},
    {"UX", "AEA", "Air Europa", "EUROPA", "Spain"},
    {"EM", "AEB", "Aero Benin", "AEROBEN", "Benin"},
    {"A3", "AEE", "Aegean Airlines", "AEGEAN", "Greece"},
    {"PE", "AEL", "Air Europe", "AIR EUROPE", "Italy"},
    {"KO", "AER", "Alaska Central Express", "ACE AIR", "United States"},
    {"5W", "AEU", "Astraeus", "FLYSTAR", "United Kingdom"},
    {"VV", "AEW", "Aerosvit Airlines", "AEROSVIT", "Ukraine"},
    {"FG", "AFG", "Ariana Afghan Airlines", "ARIANA", "Afghanistan"},
    {"SU", "AFL", "Aeroflot Russian Airlines", "AEROFLOT", "Russia"},
    {"AF", "AFR", "Air France", "AIRFRANS", "France"},
    {"7T", "AGV", "Air Glaciers", "AIR GLACIERS", "Switzerland"},
    {"LD", "AHK", "Air Hong Kong", "AIR HONG KONG", "Hong Kong"},
    {"HH", "AHO", "Air Hamburg (AHO)", "Air Hamburg", "Germany"},
    {"J2", "AHY", "Azerbaijan Airlines", "AZAL", "Azerbaijan"},
    {"U3", "AIA", "Avies", "AVIES", "Estonia"},
    {"AI", "AIC", "Air India Limited", "AIRINDIA", "India"},
    {"FD", "AIQ", "Thai AirAsia", "THAI ASIA", "Thailand"},
    {"IZ", "AIZ", "Arkia Israel Airlines", "ARKIA", "Israel"},
    {"JM", "AJM", "Air Jamaica", "JAMAICA", "Jamaica"},
    {"M6", "AJT", "Amerijet International", "AMERIJET", "United States"},
    {"NQ", "AJX", "Air Japan", "AIR JAPAN", "Japan"},
    {"4A", "AKL", "Air Kiribati", "", "Kiribati"},
    {"UL", "ALK", "SriLankan Airlines", "SRILANKAN", "Sri Lanka"},
    {"KM", "AMC", "Air Malta", "AIR MALTA", "Malta"},
    {"QM", "AML", "Air Malawi", "MALAWI", "Malawi"},
    {"NX", "AMU", "Air Macau", "AIR MACAO", "Macau"},
    {"AM", "AMX", "AeroMéxico", "AEROMEXICO", "Mexico"},
    {"NH", "ANA", "All Nippon Airways", "ALL NIPPON", "Japan"},
    {"YW", "ANE", "Air Nostrum", "AIR NOSTRUM", "Spain"},
    {"PX", "ANG", "Air Niugini", "NUIGINI", "Papua New Guinea"},
    {"EL", "ANK", "Air Nippon", "ANK AIR", "Japan"},
    {"TL", "ANO", "Airnorth", "TOPEND", "Australia"},
    {"4N", "ANT", "Air North Charter - Canada", "AIR NORTH", "Canada"},
    {"NZ", "ANZ", "Air New Zealand", "NEW ZEALAND", "New Zealand"},
    {"JW", "APW", "Arrow Air", "BIG A", "United States"},
    {"2B", "ARD", "Aerocondor", "AEROCONDOR", "Portugal"},
    {"4C", "ARE", "LATAM Airlines Colombia", "LAN COLOMBIA", "Colombia"},
    {"GV", "ARF", "Aero Flight", "Aero Fox", "Germany"},
    {"AR", "ARG", "Aerolineas Argentinas", "ARGENTINA", "Argentina"},
    {"AS", "ASA", "Alaska Airlines", "Inc.", "United States"},
    {"4D", "ASD", "Air Sinai", "AIR SINAI", "Egypt"},
    {"YV", "ASH", "Mesa Airlines", "AIR SHUTTLE", "United States"},
    {"JU", "ASL", "Air Serbia", "AIR SERBIA", "Serbia"},
    {"EV", "ASQ", "Atlantic Southeast Airlines", "ACEY", "United States"},
    {"OB", "ASZ", "Astrakhan Airlines", "AIR ASTRAKHAN", "Russia"},
    {"TC", "ATC", "Air Tanzania", "TANZANIA", "Tanzania"},
    {"FO", "ATM", "Airlines Of Tasmania", "AIRTAS", "Australia"},
    {"OS", "AUA", "Austrian Airlines", "AUSTRIAN", "Austria"},
    {"IQ", "AUB", "Augsburg Airways", "AUGSBURG-AIR", "Germany"},
    {"MO", "AUH", "Abu Dhabi Amiri Flight", "SULTAN", "United Arab Emirates"},
    {"PS", "AUI", "Ukraine International Airlines", "UKRAINE INTERNATIONAL", "Ukraine"},
    {"5N", "AUL", "Aeroflot-Nord", "DVINA", "Russia"},
    {"GR", "AUR", "Aurigny Air Services", "AYLINE", "United Kingdom"},
    {"AU", "AUT", "Austral Lineas Aereas", "AUSTRAL", "Argentina"},
    {"AV", "AVA", "Avianca - Aerovias Nacionales de Colombia", "S.A.", "AVIANCA"},
    {"NF", "AVN", "Air Vanuatu", "AIR VAN", "Vanuatu"},
    {"Y5", "AWA", "Asia Wings", "", "Kazakhstan"},
    {"HP", "AWE", "America West Airlines", "CACTUS", "United States"},
    {"ZW", "AWI", "Air Wisconsin", "AIR WISCONSIN", "United States"},
    {"AW", "AWM", "Asian Wings Airways", "Asian Star", "Myanmar (Burma)"},
    {"QZ", "AWQ", "Indonesia AirAsia", "WAGON AIR", "Indonesia"},
    {"7E", "AWU", "Aeroline GmbH", "SYLT-AIR", "Germany"},
    {"6G", "AWW", "Air Wales", "RED DRAGON", "United Kingdom"},
    {"IX", "AXB", "Air India Express", "EXPRESS INDIA", "India"},
    {"AK", "AXM", "AirAsia", "ASIAN EXPRESS", "Malaysia"},
    {"JY", "AXZ", "Aereonautica militare", "", "Italy"},
    {"AZ", "AZA", "Alitalia", "ALITALIA", "Italy"},
    {"Z8", "AZN", "Amaszonas", "", "Bolivia"},
    {"AD", "AZU", "Azul", "", "Brazil"},
    {"UM", "AZW", "Air Zimbabwe", "AIR ZIMBABWE", "Zimbabwe"},
    {"DI", "BAG", "dba", "SPEEDWAY", "Germany"},
    {"BA", "BAW", "British Airways", "SPEEDBIRD", "United Kingdom"},
    {"BG", "BBC", "Biman Bangladesh Airlines", "BANGLADESH", "Bangladesh"},
    {"F7", "BBO", "Flybaboo", "BABOO", "Switzerland"},
    {"S3", "BBR", "Santa Barbara Airlines", "SANTA BARBARA", "Venezuela"},
    {"8B", "BCC", "BusinessAir", "", "Thailand"},
    {"QY", "BCS", "European Air Transport", "EUROTRANS", "Belgium"},
    {"WX", "BCY", "CityJet", "CITY-IRELAND", "Ireland"},
    {"BE", "BEE", "Flybe", "JERSEY", "United Kingdom"},
    {"AB", "BER", "Air Berlin", "AIR BERLIN", "Germany"},
    {"4T", "BHP", "Belair Airlines", "BELAIR", "Switzerland"},
    {"UP", "BHS", "Bahamasair", "BAHAMAS", "Bahamas"},
    {"DR", "BIE", "Air Mediterranee", "MEDITERRANEE", "France"},
    {"PG", "BKP", "Bangkok Airways", "BANGKOK AIR", "Thailand"},
    {"KF", "BLF", "Blue1", "BLUEFIN", "Finland"},
    {"JV", "BLS", "Bearskin Lake Air Service", "BEARSKIN", "Canada"},
    {"6B", "BLX", "TUIfly Nordic", "BLUESCAN", "Sweden"},
    {"BD", "BMA", "bmi", "MIDLAND", "United Kingdom"},
    {"WW", "BMI", "bmibaby", "BABY", "United Kingdom"},
    {"CH", "BMJ", "Bemidji Airlines", "BEMIDJI", "United States"},
    {"8A", "BMM", "Atlas Blue", "ATLAS BLUE", "Morocco"},
    {"JA", "BON", "Air Bosna", "AIR BOSNA", "Bosnia and Herzegovina"},
    {"BP", "BOT", "Air Botswana", "BOTSWANA", "Botswana"},
    {"BV", "BPA", "Blue Panorama Airlines", "BLUE PANOROMA", "Italy"},
    {"BQ", "BQB", "Buquebus Líneas Aéreas", "", "Uruguay"},
    {"8E", "BRG", "Bering Air", "BERING AIR", "United States"},
    {"UZ", "BRQ", "El-Buraq Air Transport", "BURAQAIR", "Libya"},
    {"B2", "BRU", "Belavia Belarusian Airlines", "BELARUS AVIA", "Belarus"},
    {"BZ", "BSA", "Black Stallion Airways", "Stallion", "United States"},
    {"5B", "BSX", "Bassaka airlines", "5B", "Cambodia"},
    {"XE", "BTA", "ExpressJet", "JET LINK", "United States"},
    {"BT", "BTI", "Air Baltic", "AIRBALTIC", "Latvia"},
    {"4B", "BTQ", "Boutique Air (Priv)", "", "United States"},
    {"7P", "BTV", "Metro Batavia", "BATAVIA", "Indonesia"},
    {"BU", "BUU", "Baikotovitchestrian Airlines", "", "American Samoa"},
    {"J8", "BVT", "Berjaya Air", "BERJAYA", "Malaysia"},
    {"BW", "BWA", "Caribbean Airlines", "CARIBBEAN AIRLINES", "Trinidad and Tobago"},
    {"QW", "BWG", "Blue Wings", "BLUE WINGS", "Germany"},
    {"GB", "BZE", "BRAZIL AIR", "BRAZIL AIR", "Brazil"},
    {"DB", "BZH", "Brit Air", "BRITAIR", "France"},
    {"CI", "CAL", "China Airlines", "DYNASTY", "Taiwan"},
    {"C2", "CAP", "CanXplorer", "", "Canada"},
    {"MN", "CAW", "Comair", "COMMERCIAL", "South Africa"},
    {"KX", "CAY", "Cayman Airways", "CAYMAN", "Cayman Islands"},
    {"CA", "CCA", "Air China", "AIR CHINA", "China"},
    {"CB", "CCC", "CCML Airlines", "", "Colombia"},
    {"XK", "CCM", "Corse-Mediterranee", "CORSICA", "France"},
    {"SC", "CDG", "Shandong Airlines", "SHANDONG", "China"},
    {"Q6", "CDP", "Aero Condor Peru", "CONDOR-PERU", "Peru"},
    {"5J", "CEB", "Cebu Pacific", "CEBU AIR", "Philippines"},
    {"MU", "CES", "China Eastern Airlines", "CHINA EASTERN", "China"},
    {"CJ", "CFE", "BA CityFlyer", "FLYER", "United Kingdom"},
    {"DE", "CFG", "Condor Flugdienst", "CONDOR", "Germany"},
    {"8L", "CGP", "Cargo Plus Aviation", "", "United Arab Emirates"},
    {"PN", "CHB", "West Air China", "WEST CHINA", "China"},
    {"HU", "CHH", "Hainan Airlines", "HAINAN", "China"},
    {"6A", "CHP", "Consorcio Aviaxsa", "AVIACSA", "Mexico"},
    {"RP", "CHQ", "Chautauqua Airlines", "CHAUTAUQUA", "United States"},
    {"1F", "CIF", "CB Airways UK ( Interliging Flights )", "", "United Kingdom"},
    {"QI", "CIM", "Cimber Air", "CIMBER", "Denmark"},
    {"9L", "CJC", "Colgan Air", "COLGAN", "United States"},
    {"CK", "CKK", "China Cargo Airlines", "CARGO KING", "China"},
    {"K4", "CKS", "Kalitta Air", "CONNIE", "United States"},
    {"CL", "CLH", "Lufthansa CityLine", "HANSALINE", "Germany"},
    {"XG", "CLI", "Calima Aviacion", "CALIMA", "Spain"},
    {"C0", "CLW", "Centralwings", "CENTRALWINGS", "Poland"},
    {"CV", "CLX", "Cargolux", "CARGOLUX", "Luxembourg"},
    {"CS", "CMI", "Continental Micronesia", "AIR MIKE", "United States"},
    {"CM", "CMP", "Copa Airlines", "COPA", "Panama"},
    {"OH", "COM", "Comair", "COMAIR", "United States"},
    {"CX", "CPA", "Cathay Pacific", "CATHAY", "Hong Kong"},
    {"RV", "CPN", "Caspian Airlines", "CASPIAN", "Iran"},
    {"9S", "CQH", "Spring Airlines", "AIR SPRING", "China"},
    {"OQ", "CQN", "Chongqing Airlines", "CHONG QING", "China"},
    {"HX", "CRK", "Hong Kong Airlines", "BAUHINIA", "Hong Kong"},
    {"SS", "CRL", "Corsairfly", "CORSAIR", "France"},
    {"OK", "CSA", "Czech Airlines", "CSA-LINES", "Czech Republic"},
    {"3U", "CSC", "Sichuan Airlines", "SI CHUAN", "China"},
    {"FM", "CSH", "Shanghai Airlines", "SHANGHAI AIR", "China"},
    {"CZ", "CSN", "China Southern Airlines", "CHINA SOUTHERN", "China"},
    {"ZH", "CSZ", "Shenzhen Airlines", "SHENZHEN AIR", "China"},
    {"OU", "CTN", "Croatia Airlines", "CROATIA", "Croatia"},
    {"HR", "CUA", "China United Airlines", "LIANHANG", "China"},
    {"CU", "CUB", "Cubana de Aviación", "CUBANA", "Cuba"},
    {"CV", "CVA", "Air Chathams", "CHATHAM", "New Zealand"},
    {"KR", "CWK", "Comores Airlines", "CONTICOM", "Comoros"},
    {"CW", "CWM", "Air Marshall Islands", "AIR MARSHALLS", "Marshall Islands"},
    {"MF", "CXA", "Xiamen Airlines", "XIAMEN AIR", "China"},
    {"3Q", "CYH", "Yunnan Airlines", "YUNNAN", "China"},
    {"CY", "CYP", "Cyprus Airways", "CYPRUS", "Cyprus"},
    {"6V", "CZV", "Via Conectia Airlines", "", "Uruguay"},
    {"AH", "DAH", "Air Algerie", "AIR ALGERIE", "Algeria"},
    {"DL", "DAL", "Delta Air Lines", "DELTA", "United States"},
    {"D3", "DAO", "Daallo Airlines", "DALO AIRLINES", "Djibouti"},
    {"SN", "DAT", "Brussels Airlines", "BEE-LINE", "Belgium"},
    {"KI", "DHI", "Adam Air", "ADAM SKY", "Indonesia"},
    {"ES", "DHX", "DHL International", "DILMUN", "Bahrain"},
    {"D8", "DJB", "Djibouti Airlines", "DJIBOUTI AIR", "Djibouti"},
    {"HO", "DKH", "Juneyao Airlines", "JUNEYAO AIRLINES", "China"},
    {"EN", "DLA", "Air Dolomiti", "DOLOMOTI", "Italy"},
    {"LH", "DLH", "Lufthansa", "LUFTHANSA", "Germany"},
    {"E3", "DMO", "Domodedovo Airlines", "DOMODEDOVO", "Russia"},
    {"D9", "DNV", "Aeroflot-Don", "DONAVIA", "Russia"},
    {"DO", "DOA", "Dominicana de Aviaci", "DOMINICANA", "Dominican Republic"},
    {"QD", "DOB", "Dobrolet", "DOBROLET", "Russia"},
    {"NM", "DRD", "Air Madrid", "ALADA AIR", "Spain"},
    {"KB", "DRK", "Druk Air", "ROYAL BHUTAN", "Bhutan"},
    {"6R", "DRU", "Alrosa Mirny Air Enterprise", "MIRNY", "Russia"},
    {"DH", "DSY", "Dennis Sky", "DSY", "Israel"},
    {"DT", "DTA", "TAAG Angola Airlines", "DTA", "Angola"},
    {"DX", "DTR", "DAT Danish Air Transport", "DANISH", "Denmark"},
    {"KP", "DWA", "Dense Airways", "DENSE", "United States"},
    {"0D", "DWT", "Darwin Airline", "DARWIN", "Switzerland"},
    {"EA", "EAL", "European Air Express", "STAR WING", "Germany"},
    {"UI", "ECA", "Eurocypria Airlines", "EUROCYPRIA", "Cyprus"},
    {"WK", "EDW", "Edelweiss Air", "EDELWEISS", "Switzerland"},
    {"EU", "EEA", "Empresa Ecuatoriana De Aviacion", "ECUATORIANA", "Ecuador"},
    {"GJ", "EEU", "Eurofly Service", "EUROFLY", "Italy"},
    {"EF", "EFA", "Far Eastern Air Transport", "Far Eastern", "Taiwan"},
    {"MQ", "EGF", "American Eagle Airlines", "EAGLE FLIGHT", "United States"},
    {"EZ", "EIA", "Evergreen International Airlines", "EVERGREEN", "United States"},
    {"EI", "EIN", "Aer Lingus", "SHAMROCK", "Ireland"},
    {"1I", "EJA", "NetJets", "EXECJET", "United States"},
    {"DK", "ELA", "Eastland Air", "", "Australia"},
    {"OV", "ELL", "Estonian Air", "ESTONIAN", "Estonia"},
    {"K2", "ELO", "Eurolot", "EUROLOT", "Poland"},
    {"LY", "ELY", "El Al Israel Airlines", "ELAL", "Israel"},
    {"7L", "ERO", "Sun D'Or", "ECHO ROMEO", "Israel"},
    {"7H", "ERR", "Era Alaska", "ERAH", "United States"},
    {"B8", "ERT", "Eritrean Airlines", "ERITREAN", "Eritrea"},
    {"NE", "ESK", "SkyEurope", "RELAX", "Slovakia"},
    {"ZE", "ESR", "Eastar Jet", "Eastar", "South Korea"},
    {"EY", "ETD", "Etihad Airways", "ETIHAD", "United Arab Emirates"},
    {"ET", "ETH", "Ethiopian Airlines", "ETHIOPIAN", "Ethiopia"},
    {"ES", "EUV", "EuropeSky", "EuropeSky", "Germany"},
    {"BR", "EVA", "EVA Air", "EVA", "Taiwan"},
    {"EW", "EWG", "Eurowings", "EUROWINGS", "Germany"},
    {"LS", "EXS", "Jet2.com", "CHANNEX", "United Kingdom"},
    {"T3", "EZE", "Eastern Airways", "EASTFLIGHT", "United Kingdom"},
    {"U2", "EZY", "easyJet", "EASY", "United Kingdom"},
    {"7F", "FAB", "First Air", "", "Canada"},
    {"F1", "FBL", "Fly Brasil", "FBL", "Brazil"},
    {"DP", "FCA", "First Choice Airways", "JETSET", "United Kingdom"},
    {"FZ", "FDB", "Fly Dubai", "", "United Arab Emirates"},
    {"FX", "FDX", "Federal Express", "FEDEX", "United States"},
    {"FY", "FFM", "Firefly", "FIREFLY", "Malaysia"},
    {"F9", "FFT", "Frontier Airlines", "FRONTIER FLIGHT", "United States"},
    {"5H", "FFV", "Fly540", "SWIFT TANGO", "Kenya"},
    {"HW", "FHE", "Hello", "FLYHELLO", "Switzerland"},
    {"FH", "FHI", "FlyHigh Airlines Ireland (FH)", "FLYHIRELAND", "Ireland"},
    {"OF", "FIF", "Air Finland", "AIR FINLAND", "Finland"},
    {"AY", "FIN", "Finnair", "FINNAIR", "Finland"},
    {"FJ", "FJI", "Air Pacific", "PACIFIC", "Fiji"},
    {"9E", "FLG", "Pinnacle Airlines", "FLAGSHIP", "United States"},
    {"RC", "FLI", "Atlantic Airways", "FAROELINE", "Faroe Islands"},
    {"B5", "FLT", "Flightline", "FLIGHTLINE", "United Kingdom"},
    {"QH", "FLZ", "Air Florida", "AIR FLORIDA", "United States"},
    {"FX", "FOX", "FOX Linhas Aereas", "", "Brazil"},
    {"PO", "FPT", "FlyPortugal", "FlyPortugal", "Portugal"},
    {"FP", "FRE", "Freedom Air", "FREEDOM", "United States"},
    {"FF", "FRF", "Fly France", "", "France"},
    {"2F", "FTA", "Frontier Flying Service", "FRONTIER-AIR", "United States"},
    {"TX", "FWI", "Air Caraïbes", "FRENCH WEST", "France"},
    {"RF", "FWL", "Florida West International Airways", "FLO WEST", "United States"},
    {"NY", "FXI", "Air Iceland", "FAXI", "Iceland"},
    {"FU", "FXX", "Felix Airways", "", "Yemen"},
    {"3R", "GAI", "Moskovia Airlines", "GROMOV AIRLINE", "Russia"},
    {"DC", "GAO", "Golden Air", "GOLDEN", "Sweden"},
    {"2P", "GAP", "Air Philippines", "ORIENT PACIFIC", "Philippines"},
    {"GF", "GBA", "Gulf Air Bahrain", "GULF BAHRAIN", "Bahrain"},
    {"GY", "GBK", "Gabon Airlines", "GABON AIRLINES", "Gabon"},
    {"GT", "GBL", "GB Airways", "GEEBEE AIRWAYS", "United Kingdom"},
    {"GS", "GCR", "Tianjin Airlines", "", "China"},
    {"GP", "GDR", "Gadair European Airlines", "GADAIR", "Spain"},
    {"LH", "GEC", "Lufthansa Cargo", "LUFTHANSA CARGO", "Germany"},
    {"GM", "GER", "German International Air Lines", "", "Germany"},
    {"QB", "GFG", "Georgian National Airlines", "NATIONAL", "Georgia"},
    {"XX", "GFY", "Greenfly", "", "Spain"},
    {"G0", "GHB", "Ghana International Airlines", "GHANA AIRLINES", "Ghana"},
    {"GA", "GIA", "Garuda Indonesia", "INDONESIA", "Indonesia"},
    {"E4", "GIE", "Elysian Airlines", "", "Cameroon"},
    {"2U", "GIP", "Air Guinee Express", "FUTURE EXPRESS", "Guinea"},
    {"G7", "GJS", "GoJet Airlines", "GATEWAY", "United States"},
    {"ZK", "GLA", "Great Lakes Airlines", "LAKES AIR", "United States"},
    {"2K", "GLG", "Aerolineas Galapagos (Aerogal)", "AEROGAL", "Ecuador"},
    {"G3", "GLO", "Gol Transportes Aéreos", "GOL TRANSPORTE", "Brazil"},
    {"GH", "GLP", "Globus", "", "Russia"},
    {"ST", "GMI", "Germania", "GERMANIA", "Germany"},
    {"G8", "GOW", "Go Air", "GOAIR", "India"},
    {"GL", "GRL", "Air Greenland", "GREENLAND", "Denmark"},
    {"B4", "GSM", "Flyglobespan", "GLOBESPAN", "United Kingdom"},
    {"E8", "GTA", "City Airways", "CITY AIR", "Thailand"},
    {"5Y", "GTI", "Atlas Air", "GIANT", "United States"},
    {"GG", "GUY", "Air Guyane", "GREEN BIRD", "French Guiana"},
    {"4U", "GWI", "Germanwings", "GERMAN WINGS", "Germany"},
    {"U5", "GWY", "USA3000 Airlines", "GETAWAY", "United States"},
    {"GX", "GXG", "GermanXL", "", "Germany"},
    {"4G", "GZP", "Gazpromavia", "GAZPROMAVIA", "Russia"},
    {"H6", "HAG", "Hageland Aviation Services", "HAGELAND", "United States"},
    {"HA", "HAL", "Hawaiian Airlines", "HAWAIIAN", "United States"},
    {"2T", "HAM", "Haiti Ambassador Airlines", "", "Haiti"},
    {"V9", "HCW", "Star1 Airlines", "", "Lithuania"},
    {"KA", "HDA", "Dragonair", "Hong Kong Dragon Airlines", "Hong Kong"},
    {"T4", "HEJ", "Hellas Jet", "HELLAS JET", "Greece"},
    {"UD", "HER", "Hex'Air", "HEX AIRLINE", "France"},
    {"8H", "HFR", "Heli France", "HELIFRANCE", "France"},
    {"4R", "HHI", "Hamburg International", "HAMBURG JET", "Germany"},
    {"UO", "HKE", "Hong Kong Express Airways", "HONGKONG SHUTTLE", "Hong Kong"},
    {"HF", "HLF", "Hapagfly", "HAPAG LLOYD", "Germany"},
    {"X3", "HLX", "TUIfly", "YELLOW CAB", "Germany"},
    {"HN", "HNX", "Hankook Airline", "HNX", "South Korea"},
    {"VN", "HVN", "Vietnam Airlines", "VIET NAM AIRLINES", "Vietnam"},
    {"HC", "HYM", "Himalayan Airlines", "Himalayan", "Nepal"},
    {"BN", "HZA", "Horizon Airlines", "", "Australia"},
    {"IO", "IAA", "Indonesian Airlines", "INDO LINES", "Indonesia"},
    {"IC", "IAC", "Indian Airlines", "INDAIR", "India"},
    {"IA", "IAW", "Iraqi Airways", "IRAQI", "Iraq"},
    {"NT", "IBB", "Binter Canarias", "", "Spain"},
    {"IB", "IBE", "Iberia Airlines", "IBERIA", "Spain"},
    {"I2", "IBS", "Iberia Express", "", "Spain"},
    {"FW", "IBX", "Ibex Airlines", "IBEX", "Japan"},
    {"FI", "ICE", "Icelandair", "ICEAIR", "Iceland"},
    {"5C", "ICL", "CAL Cargo Air Lines", "CAL", "Israel"},
    {"I5", "IDS", "Indonesia Sky", "", "Indonesia"},
    {"6E", "IGO", "IndiGo Airlines", "IFLY", "India"},
    {"Z5", "IIR", "INAVIA Internacional", "", "Argentina"},
    {"GI", "IKA", "Itek Air", "ITEK-AIR", "Kyrgyzstan"},
    {"D6", "ILN", "Interair South Africa", "INLINE", "South Africa"},
    {"HT", "IMP", "Hellenic Imperial Airways", "IMPERIAL", "Greece"},
    {"9I", "INE", "International Europe", "", "Spain"},
    {"PA", "IPV", "Parmiss Airlines (IPV)", "IPV", "Iran"},
    {"IR", "IRA", "Iran Air", "IRANAIR", "Iran"},
    {"EP", "IRC", "Iran Aseman Airlines", "", "Iran"},
    {"Y9", "IRK", "Kish Air", "KISHAIR", "Iran"},
    {"W5", "IRM", "Mahan Air", "MAHAN AIR", "Iran"},
    {"3L", "ISK", "Intersky", "INTERSKY", "Austria"},
    {"6H", "ISR", "Israir", "ISRAIR", "Israel"},
    {"IG", "ISS", "Meridiana", "MERAIR", "Italy"},
    {"WC", "ISV", "Islena De Inversiones", "", "Honduras"},
    {"IF", "ISW", "Islas Airways", "PINTADERA", "Spain"},
    {"IP", "ISX", "Island Spirit", "", "Iceland"},
    {"ID", "ITK", "Interlink Airlines", "INTERLINK", "South Africa"},
    {"IK", "ITX", "Imair Airlines", "IMPROTEX", "Azerbaijan"},
    {"ZM", "IWA", "Apache Air", "APACHE", "United States"},
    {"TY", "IWD", "Iberworld", "", "Spain"},
    {"IY", "IYE", "Yemenia", "YEMENI", "Yemen"},
    {"EG", "JAA", "Japan Asia Airways", "ASIA", "Japan"},
    {"W9", "JAB", "Air Bagan", "AIR BAGAN", "Myanmar (Burma)"},
    {"JF", "JAF", "Jetairfly", "BEAUTY", "Belgium"},
    {"9W", "JAI", "Jet Airways", "JET AIRWAYS", "India"},
    {"JL", "JAL", "Japan Airlines", "JAPANAIR", "Japan"},
    {"JD", "JAS", "Japan Air System", "Air System", "Japan"},
    {"JO", "JAZ", "JALways", "JALWAYS", "Japan"},
    {"JB", "JBA", "Helijet", "HELIJET", "Canada"},
    {"B6", "JBU", "JetBlue Airways", "JETBLUE", "United States"},
    {"IV", "JET", "Wind Jet", "GHIBLI", "Italy"},
    {"JC", "JEX", "JAL Express", "JANEX", "Japan"},
    {"8J", "JFU", "Jet4You", "ARGAN", "Morocco"},
    {"7C", "JJA", "Jeju Air", "JEJU AIR", "South Korea"},
    {"JK", "JKK", "Spanair", "SPANAIR", "Spain"},
    {"LJ", "JNA", "Jin Air", "Jin Air", "South Korea"},
    {"0B", "JOR", "Blue Air", "BLUE TRANSPORT", "Romania"},
    {"JR", "JOY", "Joy Air", "JOY AIR", "China"},
    {"3K", "JSA", "Jetstar Asia Airways", "JETSTAR ASIA", "Singapore"},
    {"JX", "JSR", "Jusur airways", "", "Egypt"},
    {"JQ", "JST", "Jetstar Airways", "JETSTAR", "Australia"},
    {"NU", "JTA", "Japan Transocean Air", "JAI OCEAN", "Japan"},
    {"NR", "JTO", "Jettor Airlines", "JETHAPPY", "Hong Kong"},
    {"QK", "JZA", "Air Canada Jazz", "JAZZ", "Canada"},
    {"J9", "JZR", "Jazeera Airways", "JAZEERA", "Kuwait"},
    {"KU", "KAC", "Kuwait Airways", "KUWAITI", "Kuwait"},
    {"KE", "KAL", "Korean Air", "KOREANAIR", "South Korea"},
    {"9K", "KAP", "Cape Air", "CAIR", "United States"},
    {"K7", "KBR", "KoralBlue Airlines", "KORAL BLUE", "Egypt"},
    {"M5", "KEN", "Kenmore Air", "KENMORE", "United States"},
    {"IT", "KFR", "Kingfisher Airlines", "KINGFISHER", "India"},
    {"7K", "KGL", "Kogalymavia Air Company", "KOGALYM", "Russia"},
    {"ZC", "KGO", "Korongo Airlines", "KORONGO", "Democratic Republic of the Congo"},
    {"H8", "KHB", "Dalavia", "DALAVIA", "Russia"},
    {"KH", "KHK", "Kharkiv Airlines", "", "Ukraine"},
    {"GW", "KIL", "Kuban Airlines", "AIR KUBAN", "Russia"},
    {"7B", "KJC", "Krasnojarsky Airlines", "KRASNOJARSKY AIR", "Russia"},
    {"KK", "KKK", "Atlasjet", "ATLASJET", "Turkey"},
    {"WA", "KLC", "KLM Cityhopper", "CITY", "Netherlands"},
    {"KL", "KLM", "KLM Royal Dutch Airlines", "KLM", "Netherlands"},
    {"RQ", "KMF", "Kam Air", "KAMGAR", "Afghanistan"},
    {"XY", "KNE", "Nas Air", "NAS EXPRESS", "Saudi Arabia"},
    {"KD", "KNI", "KD Avia", "KALININGRAD AIR", "Russia"},
    {"CQ", "KOL", "SOCHI AIR", "SLOW FROG", "Russia"},
    {"K1", "KOQ", "Kostromskie avialinii", "", "Russia"},
    {"JS", "KOR", "Air Koryo", "AIR KORYO", "North Korea"},
    {"KQ", "KQA", "Kenya Airways", "KENYA", "Kenya"},
    {"V3", "KRP", "Carpatair", "CARPATAIR", "Romania"},
    {"KY", "KSY", "KSY", "KSY", "Greece"},
    {"9Y", "KZK", "Air Kazakhstan", "Kazakh", "Kazakhstan"},
    {"KC", "KZR", "Air Astana", "ASTANALINE", "Kazakhstan"},
    {"GO", "KZU", "Kuzu Airlines Cargo", "KUZU CARGO", "Turkey"},
    {"LN", "LAA", "Libyan Arab Airlines", "LIBAIR", "Libya"},
    {"KJ", "LAJ", "British Mediterranean Airways", "BEE MED", "United Kingdom"},
    {"LM", "LAM", "Linhas A", "MOZAMBIQUE", "Mozambique"},
    {"LA", "LAN", "LATAM Airlines", "LAN", "Chile"},
    {"QV", "LAO", "Lao Airlines", "LAO", "Lao Peoples Democratic Republic"},
    {"PZ", "LAP", "LATAM Airlines Paraguay", "PARAGUAYA", "Paraguay"},
    {"LV", "LBC", "Albanian Airlines", "ALBANIAN", "Albania"},
    {"L8", "LBL", "Line Blue", "Bluebird", "Germany"},
    {"BJ", "LBT", "Nouvel Air Tunisie", "NOUVELAIR", "Tunisia"},
    {"NG", "LDA", "Lauda Air", "LAUDA AIR", "Austria"},
    {"LG", "LGL", "Luxair", "LUXAIR", "Luxembourg"},
    {"HE", "LGW", "Luftfahrtgesellschaft Walter", "WALTER", "Germany"},
    {"EO", "LHN", "Express One International", "LONGHORN", "United States"},
    {"LI", "LIA", "Leeward Islands Air Transport", "LIAT", "Antigua and Barbuda"},
    {"TE", "LIL", "FlyLal", "LITHUANIA AIR", "Lithuania"},
    {"C4", "LIX", "LionXpress", "LIX", "Cameroon"},
    {"L4", "LJJ", "Luchsh Airlines", "russian sky", "Russia"},
    {"YL", "LLM", "Yamal Airlines", "YAMAL", "Russia"},
    {"LQ", "LMM", "LCM AIRLINES", "", "Russia"},
    {"UJ", "LMU", "AlMasria Universal Airlines", "ALMASRIA", "Egypt"},
    {"XL", "LNE", "LATAM Airlines Ecuador", "LAN ECUADOR", "Ecuador"},
    {"JT", "LNI", "Lion Mentari Airlines", "LION INTER", "Indonesia"},
    {"ZQ", "LOC", "Locair", "LOCAIR", "United States"},
    {"AX", "LOF", "Trans States Airlines", "WATERSKI", "United States"},
    {"PQ", "LOO", "LSM Airlines", "slowbird", "Russia"},
    {"LO", "LOT", "LOT Polish Airlines", "POLLOT", "Poland"},
    {"LP", "LPE", "LATAM Airlines Peru", "LANPERU", "Peru"},
    {"MJ", "LPR", "L", "LAPA", "Argentina"},
    {"LR", "LRC", "LACSA", "LACSA", "Costa Rica"},
    {"XO", "LTE", "LTE International Airways", "FUN JET", "Spain"},
    {"L3", "LTO", "LTU Austria", "BILLA TRANSPORT", "Austria"},
    {"L5", "LTR", "Lufttransport", "LUFT TRANSPORT", "Norway"},
    {"LT", "LTU", "Air Lituanica", "LITUANICA", "Lithuania"},
    {"LE", "LTY", "Liberty Airways", "", "United States"},
    {"TD", "LUR", "Atlantis European Airways", "", "Armenia"},
    {"LU", "LXP", "LATAM Airlines Chile", "LANEX", "Chile"},
    {"LK", "LXR", "Air Luxor", "AIRLUXOR", "Portugal"},
    {"FB", "LZB", "Bulgaria Air", "FLYING BULGARIA", "Bulgaria"},
    {"M7", "MAA", "MasAir", "MAS CARGA", "Mexico"},
    {"R5", "MAC", "Malta Air Charter", "MALTA CHARTER", "Malta"},
    {"MA", "MAH", "Malév", "MALEV", "Hungary"},
    {"L6", "MAI", "Mauritania Airlines International", "", "Mauritania"},
    {"IN", "MAK", "MAT Macedonian Airlines", "MAKAVIO", "North Macedonia"},
    {"MH", "MAS", "Malaysia Airlines", "MALAYSIAN", "Malaysia"},
    {"MK", "MAU", "Air Mauritius", "AIRMAURITIUS", "Mauritius"},
    {"ML", "MAV", "Maldivo Airlines", "Maldivo", "Maldives"},
    {"AE", "MDA", "Mandarin Airlines", "Mandarin", "Taiwan"},
    {"MD", "MDG", "Air Madagascar", "AIR MADAGASCAR", "Madagascar"},
    {"RI", "MDL", "Mandala Airlines", "MANDALA", "Indonesia"},
    {"D1", "MDO", "Domenican Airlines", "Domenican", "Dominican Republic"},
    {"2M", "MDV", "Moldavian Airlines", "MOLDAVIAN", "Moldova"},
    {"JI", "MDW", "Midway Airlines", "MIDWAY", "United States"},
    {"ME", "MEA", "Middle East Airlines", "CEDAR JET", "Lebanon"},
    {"YX", "MEP", "Midwest Airlines", "", "United States"},
    {"XJ", "MES", "Mesaba Airlines", "MESABA", "United States"},
    {"OM", "MGL", "MIAT Mongolian Airlines", "MONGOL AIR", "Mongolia"},
    {"YM", "MGX", "Montenegro Airlines", "MONTAIR", "Montenegro"},
    {"DF", "MJG", "Michael Airlines", "MJG", "Puerto Rico"},
    {"4L", "MJX", "Euroline", "GEO-LINE", "Georgia"},
    {"6F", "MKD", "MAT Airways", "", "North Macedonia"},
    {"P8", "MKG", "Air Mekong", "Air Mekong", "Vietnam"},
    {"WP", "MKU", "Island Air (WP)", "", "United States"},
    {"Q5", "MLA", "40-Mile Air", "MILE-AIR", "United States"},
    {"9U", "MLD", "Air Moldova", "AIR MOLDOVA", "Moldova"},
    {"MZ", "MNA", "Merpati Nusantara Airlines", "MERPATI", "Indonesia"},
    {"MB", "MNB", "MNG Airlines", "BLACK SEA", "Turkey"},
    {"JE", "MNO", "Mango", "TULCA", "South Africa"},
    {"SM", "MNP", "Spirit of Manila Airlines", "MANILA SKY", "Philippines"},
    {"NN", "MOV", "VIM Airlines", "MOV AIR", "Russia"},
    {"A7", "MPD", "Air Plus Comet", "RED COMET", "Spain"},
    {"5T", "MPE", "Canadian North", "EMPRESS", "Canada"},
    {"MP", "MPH", "Martinair", "MARTINAIR", "Netherlands"},
    {"Y8", "MRS", "Marusya Airways", "snowball", "Russia"},
    {"M9", "MSI", "Motor Sich", "MOTOR SICH", "Ukraine"},
    {"MS", "MSR", "Egyptair", "EGYPTAIR", "Egypt"},
    {"KV", "MVD", "Kavminvodyavia", "AIR MINVODY", "Russia"},
    {"MY", "MWA", "Midwest Airlines (Egypt)", "", "Egypt"},
    {"MX", "MXA", "Mexicana de Aviaci", "MEXICANA", "Mexico"},
    {"OD", "MXD", "Malindo Air", "Malindo", "Malaysia"},
    {"I6", "MXI", "MexicanaLink", "LINK", "Mexico"},
    {"MW", "MYD", "Maya Island Air", "MYLAND", "Belize"},
    {"VZ", "MYT", "MyTravel Airways", "KESTREL", "United Kingdom"},
    {"Q9", "NAK", "Arik Niger", "", "Niger"},
    {"UE", "NAS", "Nasair", "NASAIRWAYS", "Eritrea"},
    {"DY", "NAX", "Norwegian Air Shuttle", "NOR SHUTTLE", "Norway"},
    {"KZ", "NCA", "Nippon Cargo Airlines", "NIPPON CARGO", "Japan"},
    {"N8", "NCR", "National Air Cargo", "", "United States"},
    {"LF", "NDC", "FlyNordic", "NORDIC", "Sweden"},
    {"EJ", "NEA", "New England Airlines", "NEW ENGLAND", "United States"},
    {"NJ", "NGB", "Nordic Global Airlines", "Nordic Global", "Finland"},
    {"NP", "NIA", "Nile Air", "NILEBIRD", "Egypt"},
    {"AJ", "NIG", "Aero Contractors", "AEROLINE", "Nigeria"},
    {"NC", "NJS", "National Jet Systems", "NATIONAL JET", "Australia"},
    {"8N", "NKF", "Barents AirLink", "NORDFLIGHT", "Sweden"},
    {"NK", "NKS", "Spirit Airlines", "SPIRIT WINGS", "United States"},
    {"DU", "NLH", "Norwegian Long Haul AS", "NORSTAR", "Norway"},
    {"HG", "NLY", "Niki", "FLYNIKI", "Austria"},
    {"SW", "NMB", "Air Namibia", "NAMIBIA", "Namibia"},
    {"LW", "NMI", "Pacific Wings", "TSUNAMI", "United States"},
    {"DD", "NOK", "Nok Air", "NOK AIR", "Thailand"},
    {"9R", "NSE", "SATENA", "SATENA", "Colombia"},
    {"2N", "NTJ", "NextJet", "NEXTJET", "Sweden"},
    {"CE", "NTW", "Nationwide Airlines", "NATIONWIDE", "South Africa"},
    {"NW", "NWA", "Northwest Airlines", "NORTHWEST", "United States"},
    {"XB", "NXB", "NEXT Brasil", "XB", "Brazil"},
    {"O1", "OAB", "Orbit Airlines Azerbaijan", "Orbitaz", "Azerbaijan"},
    {"OY", "OAE", "Omni Air International", "OMNI-EXPRESS", "United States"},
    {"OA", "OAL", "Olympic Airlines", "OLYMPIC", "Greece"},
    {"2L", "OAW", "Helvetic Airways", "HELVETIC", "Switzerland"},
    {"R7", "OCA", "Aserca Airlines", "AROSCA", "Venezuela"},
    {"OX", "OEA", "Orient Thai Airlines", "ORIENT THAI", "Thailand"},
    {"QO", "OGN", "Origin Pacific Airways", "ORIGIN", "New Zealand"},
    {"O8", "OHK", "Oasis Hong Kong Airlines", "OASIS", "Hong Kong"},
    {"OJ", "OLA", "Overland Airways", "OVERLAND", "Nigeria"},
    {"OL", "OLT", "Ostfriesische Lufttransport", "OLTRA", "Germany"},
    {"WY", "OMA", "Oman Air", "OMAN AIR", "Oman"},
    {"MR", "OME", "Homer Air", "", "Germany"},
    {"O6", "ONE", "Oceanair", "OCEANAIR", "Brazil"},
    {"Z4", "OOM", "Zoom Airlines", "ZOOM", "Canada"},
    {"R2", "ORB", "Orenburg Airlines", "ORENBURG", "Russia"},
    {"OI", "ORC", "Orchid Airlines", "", "Australia"},
    {"X5", "OTJ", "Fly Romania", "TENDER AIR", "Romania"},
    {"O7", "OZJ", "Ozjet Airlines", "AUSJET", "Australia"},
    {"PO", "PAC", "Polar Air Cargo", "POLAR", "United States"},
    {"PR", "PAL", "Philippine Airlines", "PHILIPPINE", "Philippines"},
    {"PH", "PAO", "Polynesian Airlines", "POLYNESIAN", "Samoa"},
    {"9Q", "PBA", "PB Air", "PEEBEE AIR", "Thailand"},
    {"8P", "PCO", "Pacific Coastal Airline", "PASCO", "Canada"},
    {"BK", "PDC", "Potomac Air", "DISTRICT", "United States"},
    {"PI", "PDT", "Piedmont Airlines (1948-1989)", "PIEDMONT", "United States"},
    {"Q8", "PEC", "Pacific East Asia Cargo Airlines", "PAC-EAST CARGO", "Philippines"},
    {"OT", "PEL", "Aeropelican Air Services", "PELICAN", "Australia"},
    {"KS", "PEN", "Peninsula Airways", "PENINSULA", "United States"},
    {"NI", "PGA", "Portugalia", "PORTUGALIA", "Portugal"},
    {"PC", "PGT", "Pegasus Airlines", "SUNTURK", "Turkey"},
    {"PK", "PIA", "Pakistan International Airlines", "PAKISTAN", "Pakistan"},
    {"BL", "PIC", "Jetstar Pacific", "PACIFIC AIRLINES", "Vietnam"},
    {"PL", "PLI", "Aeroper", "Aeroperu", "Peru"},
    {"J3", "PLR", "Northwestern Air", "POLARIS", "Canada"},
    {"U4", "PMT", "PMTair", "MULTITRADE", "Cambodia"},
    {"I7", "PMW", "Paramount Airways", "PARAWAY", "India"},
    {"PV", "PNR", "PAN Air", "SKYJET", "Spain"},
    {"PD", "POE", "Porter Airlines", "PORTER AIR", "Canada"},
    {"OP", "PPL", "Air Pegasus", "", "India"},
    {"WQ", "PQW", "PanAm World Airways", "", "United States"},
    {"PW", "PRF", "Precision Air", "PRECISION AIR", "Tanzania"},
    {"PU", "PUA", "PLUNA", "PLUNA", "Uruguay"},
    {"0P", "PYB", "All America BOPY", "BOPY", "Paraguay"},
    {"Q3", "QER", "SOCHI AIR CHATER", "russian doll", "Russia"},
    {"QF", "QFA", "Qantas", "QANTAS", "Australia"},
    {"QR", "QTR", "Qatar Airways", "QATARI", "Qatar"},
    {"QX", "QXE", "Horizon Air", "HORIZON AIR", "United States"},
    {"RN", "RAB", "Rainbow Air (RAI)", "Rainbow", "United States"},
    {"VJ", "RAC", "Royal Air Cambodge", "", "Cambodia"},
    {"YS", "RAE", "Régional", "REGIONAL EUROPE", "France"},
    {"AT", "RAM", "Royal Air Maroc", "ROYALAIR MAROC", "Morocco"},
    {"GZ", "RAR", "Air Rarotonga", "", "Cook Islands"},
    {"KG", "RAW", "Royal Airways", "RAW", "United States"},
    {"RY", "RAY", "Rainbow Air Canada", "Rainbow CAN", "Canada"},
    {"BI", "RBA", "Royal Brunei Airlines", "BRUNEI", "Brunei"},
    {"E5", "RBG", "Air Arabia Egypt", "", "Egypt"},
    {"V2", "RBY", "Vision Airlines (V2)", "RUBY", "United States"},
    {"MC", "RCH", "Air Mobility Command", "REACH", "United States"},
    {"RE", "REA", "Aer Arann", "AER ARANN", "Ireland"},
    {"P7", "REP", "Regional Paraguaya", "REGIOPAR", "Paraguay"},
    {"UU", "REU", "Air Austral", "REUNION", "France"},
    {"RL", "RFJ", "Royal Falcon", "", "Jordan"},
    {"1E", "RGG", "TransRussiaAirlines", "", "Russia"},
    {"6K", "RIT", "Asian Spirit", "ASIAN SPIRIT", "Philippines"},
    {"RJ", "RJA", "Royal Jordanian", "JORDANIAN", "Jordan"},
    {"RK", "RKA", "Air Afrique", "AIRAFRIC", "Ivory Coast"},
    {"A5", "RLA", "Airlinair", "AIRLINAIR", "France"},
    {"QL", "RLN", "Aero Lanka", "AERO LANKA", "Sri Lanka"},
    {"RA", "RNA", "Nepal Airlines", "ROYAL NEPAL", "Nepal"},
    {"U8", "RNV", "Armavia", "ARMAVIA", "Armenia"},
    {"1T", "RNX", "1Time Airline", "NEXTIME", "South Africa"},
    {"RM", "RNY", "Rainbow Air US", "Rainbow Air", "United States"},
    {"ON", "RON", "Nauru Air Corporation", "AIR NAURU", "Nauru"},
    {"RO", "ROT", "Tarom", "TAROM", "Romania"},
    {"YX", "RPA", "Republic Airlines", "BRICKYARD", "United States"},
    {"P5", "RPB", "AeroRep", "AEROREPUBLICA", "Colombia"},
    {"R8", "RRJ", "AirRussia", "russiancloud", "Russia"},
    {"S2", "RSH", "Air Sahara", "SAHARA", "India"},
    {"BF", "RSR", "Aero-Service", "CONGOSERV", "Republic of the Congo"},
    {"5L", "RSU", "Aerosur", "AEROSUR", "Bolivia"},
    {"H5", "RSY", "I-Fly", "RUSSIAN SKY", "Russia"},
    {"RU", "RUE", "Rainbow Air Euro", "Rainbow Air", "United Kingdom"},
    {"C9", "RUS", "Cirrus Airlines", "CIRRUS AIR", "Germany"},
    {"WB", "RWD", "Rwandair Express", "RWANDAIR", "Rwanda"},
    {"ER", "RWW", "Fly Europa", "", "Spain"},
    {"WZ", "RWZ", "Red Wings", "AIR RED", "Russia"},
    {"ZL", "RXA", "Regional Express", "REX", "Australia"},
    {"RR", "RXR", "REXAIR VIRTUEL", "Rexair", "France"},
    {"RD", "RYN", "Ryan International Airlines", "RYAN INTERNATIONAL", "United States"},
    {"FR", "RYR", "Ryanair", "RYANAIR", "Ireland"},
    {"S4", "RZO", "SATA International", "AIR AZORES", "Portugal"},
    {"SA", "SAA", "South African Airways", "SPRINGBOK", "South Africa"},
    {"Q4", "SAE", "SOCHI AIR EXPRESS", "ADLER EXPRESS", "Russia"},
    {"NL", "SAI", "Shaheen Air International", "SHAHEEN AIR", "Pakistan"},
    {"S0", "SAL", "Spike Airlines", "Spike Air", "United States"},
    {"SK", "SAS", "Scandinavian Airlines System", "SCANDINAVIAN", "Sweden"},
    {"SP", "SAT", "SATA Air Acores", "SATA", "Portugal"},
    {"S8", "SBD", "Snowbird Airlines", "", "Finland"},
    {"S7", "SBI", "S7 Airlines", "SIBERIAN AIRLINES", "Russia"},
    {"BB", "SBS", "Seaborne Airlines", "SEABORNE", "United States"},
    {"TZ", "SCO", "Scoot", "", "Singapore"},
    {"SY", "SCX", "Sun Country Airlines", "SUN COUNTRY", "United States"},
    {"FV", "SDM", "Rossiya-Russian Airlines", "PULKOVO", "Russia"},
    {"CF", "SDR", "City Airline", "SWEDESTAR", "Sweden"},
    {"GQ", "SEH", "Sky Express", "AIR CRETE", "Greece"},
    {"SG", "SEJ", "Spicejet", "SPICEJET", "India"},
    {"SE", "SEU", "XL Airways France", "STARWAY", "France"},
    {"HM", "SEY", "Air Seychelles", "SEYCHELLES", "Seychelles"},
    {"7G", "SFJ", "Star Flyer", "STARFLYER", "Japan"},
    {"DN", "SGG", "Senegal Airlines", "", "Senegal"},
    {"N5", "SGY", "Skagway Air Service", "SKAGWAY AIR", "United States"},
    {"SH", "SHA", "Sharp Airlines", "SHARP", "Australia"},
    {"SQ", "SIA", "Singapore Airlines", "SINGAPORE", "Singapore"},
    {"5M", "SIB", "Sibaviatrans", "SIBAVIA", "Russia"},
    {"SI", "SIH", "Skynet Airlines", "BLUEJET", "Ireland"},
    {"7R", "SJM", "Svyaz Rossiya", "RussianConnecty", "Russia"},
    {"IJ", "SJO", "Spring Airlines Japan", "", "Japan"},
    {"SJ", "SJY", "Sriwijaya Air", "SRIWIJAYA", "Indonesia"},
    {"H2", "SKU", "Sky Airline", "AEROSKY", "Chile"},
    {"RS", "SKV", "Sky Regional", "Sky Regional", "Canada"},
    {"OO", "SKW", "SkyWest", "SKYWEST", "United States"},
    {"JZ", "SKX", "Skyways Express", "SKY EXPRESS", "Sweden"},
    {"BC", "SKY", "Skymark Airlines", "SKYMARK", "Japan"},
    {"SO", "SLC", "Salsa d'Haiti", "SALSA", "Haiti"},
    {"5D", "SLI", "Aerolitoral", "COSTERA", "Mexico"},
    {"MI", "SLK", "SilkAir", "SILKAIR", "Singapore"},
    {"PY", "SLM", "Surinam Airways", "SURINAM", "Suriname"},
    {"Z3", "SMJ", "Avient Aviation", "AVAVIA", "Zimbabwe"},
    {"XM", "SMX", "Alitalia Express", "ALIEXPRESS", "Italy"},
    {"ZS", "SMY", "Sama Airlines", "NAJIM", "Saudi Arabia"},
    {"NB", "SNB", "Sterling Airlines", "STERLING", "Denmark"},
    {"2Q", "SNC", "Air Cargo Carriers", "NIGHT CARGO", "United States"},
    {"6J", "SNJ", "Skynet Asia Airways", "NEWSKY", "Japan"},
    {"IE", "SOL", "Solomon Airlines", "SOLOMON", "Solomon Islands"},
    {"6W", "SOV", "Saratov Aviation Division", "SARATOV AIR", "Russia"},
    {"HZ", "SOZ", "Sat Airlines", "SATCO", "Kazakhstan"},
    {"PJ", "SPM", "Air Saint Pierre", "", "France"},
    {"SQ", "SQC", "Singapore Airlines Cargo", "SINGCARGO", "Singapore"},
    {"K5", "SQH", "SeaPort Airlines", "SASQUATCH", "United States"},
    {"FT", "SRH", "Siem Reap Airways", "SIEMREAP AIR", "Cambodia"},
    {"DG", "SRQ", "South East Asian Airlines", "SEAIR", "Philippines"},
    {"AG", "SSA", "All America US", "", "United States"},
    {"5G", "SSV", "Skyservice Airlines", "SKYTOUR", "Canada"},
    {"8F", "STP", "STP Airways", "SAOTOME AIRWAYS", "Sao Tome and Principe"},
    {"FS", "STU", "Servicios de Transportes A", "FUEGUINO", "Argentina"},
    {"SD", "SUD", "Sudan Airways", "SUDANAIR", "Sudan"},
    {"SV", "SVA", "Saudi Arabian Airlines", "SAUDIA", "Saudi Arabia"},
    {"U6", "SVR", "Ural Airlines", "SVERDLOVSK AIR", "Russia"},
    {"WN", "SWA", "Southwest Airlines", "SOUTHWEST", "United States"},
    {"A4", "SWD", "Southern Winds Airlines", "SOUTHERN WINDS", "Argentina"},
    {"LX", "SWR", "Swiss International Air Lines", "SWISS", "Switzerland"},
    {"WV", "SWV", "Swe Fly", "FLYING SWEDE", "Sweden"},
    {"XW", "SXR", "Sky Express", "SKYSTORM", "Russia"},
    {"XQ", "SXS", "SunExpress", "SUNEXPRESS", "Turkey"},
    {"R3", "SYL", "Aircompany Yakutia", "AIR YAKUTIA", "Russia"},
    {"RB", "SYR", "Syrian Arab Airlines", "SYRIANAIR", "Syria"},
    {"AL", "SYX", "Skywalk Airlines", "SKYWAY-EX", "United States"},
    {"EQ", "TAE", "TAME", "TAME", "Ecuador"},
    {"U9", "TAK", "Tatarstan Airlines", "TATARSTAN", "Russia"},
    {"JJ", "TAM", "LATAM Airlines Brasil", "TAM", "Brazil"},
    {"VW", "TAO", "Aeromar", "TRANS-AEROMAR", "Mexico"},
    {"TP", "TAP", "TAP Portugal", "AIR PORTUGAL", "Portugal"},
    {"TU", "TAR", "Tunisair", "TUNAIR", "Tunisia"},
    {"TA", "TAT", "Grupo TACA", "TACA-COSTARICA", "Costa Rica"},
    {"TB", "TBZ", "TrasBrasil", "", "Brazil"},
    {"S5", "TCF", "Shuttle America", "MERCURY", "United States"},
    {"T2", "TCG", "Thai Air Cargo", "THAI CARGO", "Thailand"},
    {"VR", "TCV", "TACV", "CABOVERDE", "Portugal"},
    {"FQ", "TCW", "Thomas Cook Airlines", "THOMAS COOK", "Belgium"},
    {"MT", "TCX", "Thomas Cook Airlines", "KESTREL", "United Kingdom"},
    {"OR", "TFL", "Arkefly", "ARKEFLY", "Netherlands"},
    {"TT", "TGW", "Tiger Airways Australia", "GO CAT", "Australia"},
    {"A9", "TGZ", "Georgian Airways", "TAMAZI", "Georgia"},
    {"TG", "THA", "Thai Airways International", "THAI", "Thailand"},
    {"TI", "THI", "TransHolding", "", "Brazil"},
    {"TH", "THS", "TransBrasil Airlines", "", "Brazil"},
    {"TN", "THT", "Air Tahiti Nui", "TAHITI AIRLINES", "France"},
    {"TK", "THY", "Turkish Airlines", "TURKAIR", "Turkey"},
    {"8R", "TIB", "TRIP Linhas A", "TRIP", "Brazil"},
    {"TJ", "TJA", "T.J. Air", "T.J. Air", "United States"},
    {"T7", "TJT", "Twin Jet", "TWINJET", "France"},
    {"GE", "TNA", "TransAsia Airways", "TransAsia", "Taiwan"},
    {"3P", "TNM", "Tiara Air", "TIARA", "Aruba"},
    {"M8", "TNU", "TransNusa Air", "TRANSNUSA", "Indonesia"},
    {"CG", "TOK", "Airlines PNG", "BALUS", "Papua New Guinea"},
    {"BY", "TOM", "Thomsonfly", "TOMSON", "United Kingdom"},
    {"PM", "TOS", "Tropic Air", "TROPISER", "Belize"},
    {"QT", "TPA", "TAMPA", "TAMPA", "Colombia"},
    {"HV", "TRA", "Transavia Holland", "TRANSAVIA", "Netherlands"},
    {"FL", "TRS", "AirTran Airways", "CITRUS", "United States"},
    {"TS", "TSC", "Air Transat", "TRANSAT", "Canada"},
    {"UN", "TSO", "Transaero Airlines", "TRANSOVIET", "Russia"},
    {"T5", "TUA", "Turkmenistan Airlines", "TURKMENISTAN", "Turkmenistan"},
    {"UG", "TUI", "Tuninter", "", "Tunisia"},
    {"M3", "TUS", "ABSA - Aerolinhas Brasileiras", "ABSA Cargo", "Brazil"},
    {"TO", "TVF", "Transavia France", "FRENCH SUN", "France"},
    {"QS", "TVS", "Travel Service", "SKYTRAVEL", "Czech Republic"},
    {"TW", "TWB", "Tway Airlines", "TWAY AIR", "South Korea"},
    {"EC", "TWN", "Avialeasing Aviation Company", "TWINARROW", "Uzbekistan"},
    {"TQ", "TXW", "Texas Wings", "TXW", "United States"},
    {"VO", "TYR", "Tyrolean Airways", "TYROLEAN", "Austria"},
    {"YO", "TYS", "TransHolding System", "", "Brazil"},
    {"EK", "UAE", "Emirates", "EMIRATES", "United Arab Emirates"},
    {"UA", "UAL", "United Airlines", "UNITED", "United States"},
    {"UB", "UBA", "Myanma Airways", "UNIONAIR", "Myanmar (Burma)"},
    {"4H", "UBD", "United Airways", "UNITED BANGLADESH", "Bangladesh"},
    {"C5", "UCA", "CommutAir", "COMMUTAIR", "United States"},
    {"QU", "UGX", "East African", "CRANE", "Uganda"},
    {"B7", "UIA", "Uni Air", "Glory", "Taiwan"},
    {"UF", "UKM", "UM Airlines", "UKRAINE MEDITERRANEE", "Ukraine"},
    {"GS", "UPA", "Air Foyle", "FOYLE", "United Kingdom"},
    {"5X", "UPS", "United Parcel Service", "UPS", "United States"},
    {"3T", "URN", "Turan Air", "TURAN", "Azerbaijan"},
    {"US", "USA", "US Airways", "U S AIR", "United States"},
    {"UT", "UTA", "UTair Aviation", "UTAIR", "Russia"},
    {"QQ", "UTY", "Alliance Airlines", "UNITY", "Australia"},
    {"II", "UWW", "LSM International", "moose", "Russia"},
    {"HY", "UZB", "Uzbekistan Airways", "UZBEK", "Uzbekistan"},
    {"V8", "VAS", "ATRAN Cargo Airlines", "ATRAN", "Russia"},
    {"ZV", "VAX", "V Air", "", "Taiwan"},
    {"2J", "VBW", "Air Burkina", "BURKINA", "Burkina Faso"},
    {"V0", "VCV", "Conviasa", "CONVIASA", "Venezuela"},
    {"VI", "VDA", "Volga-Dnepr Airlines", "VOLGA-DNEPR", "Russia"},
    {"TV", "VEX", "Virgin Express", "VIRGIN EXPRESS", "Belgium"},
    {"VK", "VGN", "Virgin Nigeria Airways", "VIRGIN NIGERIA", "Nigeria"},
    {"V1", "VIA", "VIA Líneas Aéreas", "", "Argentina"},
    {"VL", "VIM", "Air VIA", "", "Bulgaria"},
    {"VS", "VIR", "Virgin Atlantic Airways", "VIRGIN", "United Kingdom"},
    {"VQ", "VKH", "Viking Hellas", "DELPHI", "Greece"},
    {"KT", "VKJ", "VickJet", "Vickjet", "France"},
    {"VE", "VLE", "Volare Airlines", "VOLA", "Italy"},
    {"VY", "VLG", "Vueling Airlines", "VUELING", "Spain"},
    {"XF", "VLK", "Vladivostok Air", "VLADAIR", "Russia"},
    {"VG", "VLM", "VLM Airlines", "RUBENS", "Belgium"},
    {"LC", "VLO", "Varig Log", "VELOG", "Brazil"},
    {"VF", "VLU", "Valuair", "VALUAIR", "Singapore"},
    {"VH", "VNP", "Virgin Pacific", "", "Fiji"},
    {"V7", "VOE", "VOLOTEA Airways", "", "Spain"},
    {"Y4", "VOI", "Volaris", "VOLARIS", "Mexico"},
    {"N3", "VOS", "Volaris El Salvador", "VOLSAL", "El Salvador"},
    {"VA", "VOZ", "Virgin Australia", "VIRGIN", "Australia"},
    {"VX", "VRD", "Virgin America", "REDWOOD", "United States"},
    {"RG", "VRN", "VRG Linhas Aereas", "VARIG", "Brazil"},
    {"VP", "VSP", "VASP", "VASP", "Brazil"},
    {"DV", "VSV", "Scat Air", "VLASTA", "Kazakhstan"},
    {"VT", "VTA", "Air Tahiti", "AIR TAHITI", "French Polynesia"},
    {"UK", "VTI", "Air Vistara", "", "India"},
    {"VU", "VUN", "Air Ivoire", "AIRIVOIRE", "Ivory Coast"},
    {"5Z", "VVC", "VivaColombia", "", "Colombia"},
    {"ZG", "VVM", "Viva Macau", "JACKPOT", "Macau"},
    {"YY", "VWA", "Virginwings", "", "Germany"},
    {"WU", "WAU", "Wizz Air Ukraine", "WIZZAIR UKRAINE", "Ukraine"},
    {"FC", "WBA", "Finncomm Airlines", "WESTBIRD", "Finland"},
    {"WJ", "WEB", "WebJet Linhas A", "WEB-BRASIL", "Brazil"},
    {"WR", "WEN", "WestJet Encore", "Encore", "Canada"},
    {"W4", "WER", "AeroWorld", "sovet", "Russia"},
    {"WF", "WIF", "Widerøe", "WIDEROE", "Norway"},
    {"WS", "WJA", "WestJet", "WESTJET", "Canada"},
    {"2W", "WLC", "Welcome Air", "WELCOMEAIR", "Austria"},
    {"WO", "WOA", "World Airways", "WORLD", "United States"},
    {"IW", "WON", "Wings Air", "WINGS ABADI", "Indonesia"},
    {"W3", "WSS", "World Scale Airlines", "", "United States"},
    {"FK", "WTA", "Africa West", "WEST TOGO", "Togo"},
    {"8Z", "WVL", "Wizz Air Hungary", "WIZZBUL", "Bulgaria"},
    {"W6", "WZZ", "Wizz Air", "WIZZ AIR", "Hungary"},
    {"D7", "XAX", "AirAsia X", "XANADU", "Malaysia"},
    {"JN", "XLA", "Excel Airways", "EXPO", "United Kingdom"},
    {"XP", "XPT", "XPTO", "XPTO", "Portugal"},
    {"YC", "YCC", "Ciel Canadien", "Ciel", "Canada"},
    {"CN", "YCP", "Canadian National Airways", "CaNational", "Canada"},
    {"YE", "YEL", "Yellowtail", "", "United States"},
    {"YZ", "YZZ", "LSM AIRLINES", "Moscow frog", "Russia"},
    {"ZN", "ZNA", "Zenith International Airline", "ZENITH", "Thailand"},
    {"7M", "ZTF", "Mongolian International Air Lines", "Mongol_AIr", "Mongolia"},
    {"Z6", "ZTT", "ZABAIKAL AIRLINES", "BAIKAL", "Russia"},
    {"ZX", "ZXY", "Japan Regio", "", "Japan"},
    {"ZP", "ZZZ", "Zabaykalskii Airlines", "Lakeair", "Russia"},
};

const std::uint16_t kIataRows[] = {
    354,  // 0B
    205,  // 0D
    537,  // 0P
    557,  // 1E
    151,  // 1F
    215,  // 1I
    565,  // 1T
    58,  // 2B
    254,  // 2F
    715,  // 2J
    277,  // 2K
    498,  // 2L
    440,  // 2M
    491,  // 2N
    261,  // 2P
    626,  // 2Q
    293,  // 2T
    274,  // 2U
    753,  // 2W
    356,  // 3K
    328,  // 3L
    677,  // 3P
    181,  // 3Q
    259,  // 3R
    707,  // 3T
    170,  // 3U
    44,  // 4A
    125,  // 4B
    59,  // 4C
    63,  // 4D
    290,  // 4G
    700,  // 4H
    6,  // 4K
    448,  // 4L
    55,  // 4N
    299,  // 4R
    103,  // 4T
    287,  // 4U
    122,  // 5B
    315,  // 5C
    619,  // 5D
    637,  // 5G
    240,  // 5H
    142,  // 5J
    574,  // 5L
    608,  // 5M
    74,  // 5N
    460,  // 5T
    28,  // 5W
    706,  // 5X
    285,  // 5Y
    743,  // 5Z
    149,  // 6A
    109,  // 6B
    317,  // 6E
    449,  // 6F
    85,  // 6G
    329,  // 6H
    627,  // 6J
    558,  // 6K
    200,  // 6R
    183,  // 6V
    629,  // 6W
    374,  // 7B
    351,  // 7C
    84,  // 7E
    233,  // 7F
    603,  // 7G
    221,  // 7H
    369,  // 7K
    220,  // 7L
    768,  // 7M
    126,  // 7P
    610,  // 7R
    33,  // 7T
    113,  // 8A
    98,  // 8B
    118,  // 8E
    638,  // 8F
    298,  // 8H
    350,  // 8J
    146,  // 8L
    483,  // 8N
    517,  // 8P
    673,  // 8R
    7,  // 8U
    18,  // 8V
    758,  // 8Z
    246,  // 9E
    322,  // 9I
    365,  // 9K
    153,  // 9L
    516,  // 9Q
    490,  // 9R
    165,  // 9S
    13,  // 9T
    453,  // 9U
    342,  // 9W
    387,  // 9Y
    25,  // A3
    644,  // A4
    561,  // A5
    459,  // A7
    667,  // A9
    3,  // AA
    102,  // AB
    16,  // AC
    91,  // AD
    436,  // AE
    32,  // AF
    636,  // AG
    184,  // AH
    38,  // AI
    481,  // AJ
    87,  // AK
    651,  // AL
    49,  // AM
    0,  // AN
    20,  // AP
    2,  // AQ
    61,  // AR
    62,  // AS
    545,  // AT
    76,  // AU
    77,  // AV
    82,  // AW
    413,  // AX
    244,  // AY
    89,  // AZ
    120,  // B2
    283,  // B4
    248,  // B5
    347,  // B6
    703,  // B7
    222,  // B8
    94,  // BA
    594,  // BB
    617,  // BC
    110,  // BD
    101,  // BE
    573,  // BF
    95,  // BG
    549,  // BI
    398,  // BJ
    518,  // BK
    526,  // BL
    306,  // BN
    115,  // BP
    117,  // BQ
    228,  // BR
    124,  // BT
    127,  // BU
    116,  // BV
    129,  // BW
    11,  // BX
    680,  // BY
    121,  // BZ
    158,  // C0
    134,  // C2
    405,  // C4
    701,  // C5
    577,  // C9
    137,  // CA
    138,  // CB
    9,  // CC
    492,  // CE
    598,  // CF
    679,  // CG
    112,  // CH
    133,  // CI
    144,  // CJ
    154,  // CK
    156,  // CL
    161,  // CM
    764,  // CN
    381,  // CQ
    160,  // CS
    176,  // CU
    159,  // CV
    179,  // CW
    163,  // CX
    182,  // CY
    172,  // CZ
    439,  // D1
    186,  // D3
    320,  // D6
    760,  // D7
    190,  // D8
    195,  // D9
    132,  // DB
    260,  // DC
    489,  // DD
    145,  // DE
    447,  // DF
    635,  // DG
    201,  // DH
    93,  // DI
    216,  // DK
    185,  // DL
    604,  // DN
    196,  // DO
    235,  // DP
    105,  // DR
    202,  // DT
    485,  // DU
    739,  // DV
    203,  // DX
    474,  // DY
    194,  // E3
    273,  // E4
    550,  // E5
    284,  // E8
    206,  // EA
    693,  // EC
    12,  // ED
    211,  // EF
    339,  // EG
    214,  // EI
    478,  // EJ
    697,  // EK
    53,  // EL
    24,  // EM
    192,  // EN
    402,  // EO
    325,  // EP
    652,  // EQ
    579,  // ER
    189,  // ES
    226,  // ET
    209,  // EU
    66,  // EV
    229,  // EW
    225,  // EY
    213,  // EZ
    234,  // F1
    96,  // F7
    239,  // F9
    427,  // FB
    747,  // FC
    39,  // FD
    253,  // FF
    30,  // FG
    242,  // FH
    314,  // FI
    245,  // FJ
    757,  // FK
    684,  // FL
    171,  // FM
    69,  // FO
    252,  // FP
    663,  // FQ
    584,  // FR
    639,  // FS
    634,  // FT
    258,  // FU
    597,  // FV
    313,  // FW
    237,  // FX
    238,  // FY
    236,  // FZ
    271,  // G0
    278,  // G3
    8,  // G4
    275,  // G7
    281,  // G8
    15,  // G9
    272,  // GA
    14,  // GB
    676,  // GE
    262,  // GF
    286,  // GG
    279,  // GH
    319,  // GI
    210,  // GJ
    282,  // GL
    268,  // GM
    389,  // GO
    266,  // GP
    599,  // GQ
    75,  // GR
    265,  // GS
    264,  // GT
    60,  // GV
    373,  // GW
    289,  // GX
    263,  // GY
    546,  // GZ
    613,  // H2
    575,  // H5
    291,  // H6
    371,  // H8
    292,  // HA
    305,  // HC
    21,  // HD
    401,  // HE
    301,  // HF
    486,  // HG
    35,  // HH
    602,  // HM
    303,  // HN
    191,  // HO
    80,  // HP
    175,  // HR
    321,  // HT
    148,  // HU
    683,  // HV
    241,  // HW
    167,  // HX
    712,  // HY
    630,  // HZ
    312,  // I2
    316,  // I5
    469,  // I6
    530,  // I7
    309,  // IA
    311,  // IB
    308,  // IC
    334,  // ID
    628,  // IE
    332,  // IF
    330,  // IG
    711,  // II
    611,  // IJ
    335,  // IK
    432,  // IN
    307,  // IO
    333,  // IP
    71,  // IQ
    324,  // IR
    368,  // IT
    348,  // IV
    755,  // IW
    86,  // IX
    338,  // IY
    40,  // IZ
    36,  // J2
    528,  // J3
    128,  // J8
    362,  // J9
    114,  // JA
    346,  // JB
    349,  // JC
    344,  // JD
    456,  // JE
    341,  // JF
    441,  // JI
    654,  // JJ
    352,  // JK
    343,  // JL
    41,  // JM
    761,  // JN
    345,  // JO
    22,  // JP
    358,  // JQ
    355,  // JR
    383,  // JS
    411,  // JT
    65,  // JU
    108,  // JV
    57,  // JW
    357,  // JX
    88,  // JY
    616,  // JZ
    382,  // K1
    218,  // K2
    155,  // K4
    633,  // K5
    366,  // K7
    295,  // KA
    199,  // KB
    388,  // KC
    380,  // KD
    364,  // KE
    107,  // KF
    547,  // KG
    372,  // KH
    188,  // KI
    391,  // KJ
    375,  // KK
    377,  // KL
    46,  // KM
    27,  // KO
    204,  // KP
    384,  // KQ
    178,  // KR
    522,  // KS
    724,  // KT
    363,  // KU
    465,  // KV
    136,  // KX
    386,  // KY
    475,  // KZ
    420,  // L3
    406,  // L4
    421,  // L5
    431,  // L6
    397,  // L8
    393,  // LA
    729,  // LC
    34,  // LD
    423,  // LE
    477,  // LF
    400,  // LG
    193,  // LH
    403,  // LI
    353,  // LJ
    426,  // LK
    392,  // LM
    390,  // LN
    415,  // LO
    416,  // LP
    408,  // LQ
    418,  // LR
    230,  // LS
    422,  // LT
    425,  // LU
    396,  // LV
    488,  // LW
    645,  // LX
    219,  // LY
    689,  // M3
    367,  // M5
    42,  // M6
    428,  // M7
    678,  // M8
    463,  // M9
    430,  // MA
    455,  // MB
    552,  // MC
    437,  // MD
    442,  // ME
    180,  // MF
    433,  // MH
    620,  // MI
    417,  // MJ
    434,  // MK
    435,  // ML
    135,  // MN
    72,  // MO
    461,  // MP
    212,  // MQ
    506,  // MR
    464,  // MS
    664,  // MT
    143,  // MU
    470,  // MW
    467,  // MX
    466,  // MY
    454,  // MZ
    734,  // N3
    605,  // N5
    476,  // N8
    625,  // NB
    482,  // NC
    223,  // NE
    78,  // NF
    399,  // NG
    50,  // NH
    523,  // NI
    479,  // NJ
    484,  // NK
    588,  // NL
    198,  // NM
    458,  // NN
    480,  // NP
    43,  // NQ
    360,  // NR
    310,  // NT
    359,  // NU
    493,  // NW
    48,  // NX
    257,  // NY
    56,  // NZ
    495,  // O1
    507,  // O6
    512,  // O7
    502,  // O8
    497,  // OA
    67,  // OB
    468,  // OD
    243,  // OF
    162,  // OH
    510,  // OI
    503,  // OJ
    169,  // OK
    504,  // OL
    445,  // OM
    567,  // ON
    615,  // OO
    533,  // OP
    166,  // OQ
    665,  // OR
    70,  // OS
    521,  // OT
    174,  // OU
    217,  // OV
    500,  // OX
    496,  // OY
    5,  // OZ
    570,  // P5
    554,  // P7
    450,  // P8
    323,  // PA
    524,  // PC
    532,  // PD
    26,  // PE
    106,  // PG
    515,  // PH
    519,  // PI
    631,  // PJ
    525,  // PK
    527,  // PL
    681,  // PM
    147,  // PN
    513,  // PO
    414,  // PQ
    514,  // PR
    73,  // PS
    536,  // PU
    531,  // PV
    535,  // PW
    52,  // PX
    621,  // PY
    395,  // PZ
    538,  // Q3
    587,  // Q4
    452,  // Q5
    141,  // Q6
    520,  // Q8
    472,  // Q9
    269,  // QB
    197,  // QD
    539,  // QF
    249,  // QH
    152,  // QI
    361,  // QK
    562,  // QL
    47,  // QM
    501,  // QO
    710,  // QQ
    540,  // QR
    691,  // QS
    682,  // QT
    702,  // QU
    394,  // QV
    130,  // QW
    541,  // QX
    99,  // QY
    83,  // QZ
    509,  // R2
    649,  // R3
    429,  // R5
    499,  // R7
    571,  // R8
    563,  // RA
    650,  // RB
    247,  // RC
    583,  // RD
    553,  // RE
    256,  // RF
    737,  // RG
    438,  // RI
    559,  // RJ
    560,  // RK
    556,  // RL
    566,  // RM
    542,  // RN
    568,  // RO
    150,  // RP
    378,  // RQ
    582,  // RR
    614,  // RS
    576,  // RU
    164,  // RV
    548,  // RY
    589,  // S0
    572,  // S2
    97,  // S3
    585,  // S4
    660,  // S5
    593,  // S7
    592,  // S8
    586,  // SA
    17,  // SB
    140,  // SC
    640,  // SD
    601,  // SE
    600,  // SG
    606,  // SH
    609,  // SI
    612,  // SJ
    590,  // SK
    457,  // SM
    187,  // SN
    618,  // SO
    591,  // SP
    607,  // SQ
    168,  // SS
    280,  // ST
    31,  // SU
    641,  // SV
    487,  // SW
    596,  // SY
    661,  // T2
    231,  // T3
    296,  // T4
    687,  // T5
    675,  // T7
    658,  // TA
    659,  // TB
    68,  // TC
    424,  // TD
    404,  // TE
    668,  // TG
    670,  // TH
    669,  // TI
    674,  // TJ
    672,  // TK
    54,  // TL
    671,  // TN
    690,  // TO
    656,  // TP
    694,  // TQ
    685,  // TS
    666,  // TT
    657,  // TU
    718,  // TV
    692,  // TW
    255,  // TX
    337,  // TY
    595,  // TZ
    10,  // U1
    232,  // U2
    37,  // U3
    529,  // U4
    288,  // U5
    642,  // U6
    564,  // U8
    653,  // U9
    698,  // UA
    699,  // UB
    297,  // UD
    473,  // UE
    704,  // UF
    688,  // UG
    207,  // UI
    409,  // UJ
    741,  // UK
    45,  // UL
    92,  // UM
    686,  // UN
    300,  // UO
    104,  // UP
    708,  // US
    709,  // UT
    555,  // UU
    23,  // UX
    119,  // UZ
    716,  // V0
    720,  // V1
    551,  // V2
    385,  // V3
    732,  // V7
    713,  // V8
    294,  // V9
    735,  // VA
    725,  // VE
    730,  // VF
    728,  // VG
    731,  // VH
    717,  // VI
    543,  // VJ
    719,  // VK
    721,  // VL
    304,  // VN
    695,  // VO
    738,  // VP
    723,  // VQ
    662,  // VR
    722,  // VS
    740,  // VT
    742,  // VU
    29,  // VV
    655,  // VW
    736,  // VX
    726,  // VY
    471,  // VZ
    756,  // W3
    750,  // W4
    327,  // W5
    759,  // W6
    340,  // W9
    376,  // WA
    578,  // WB
    331,  // WC
    4,  // WD
    751,  // WF
    748,  // WJ
    208,  // WK
    643,  // WN
    754,  // WO
    451,  // WP
    534,  // WQ
    749,  // WR
    752,  // WS
    746,  // WU
    646,  // WV
    111,  // WW
    100,  // WX
    505,  // WY
    580,  // WZ
    302,  // X3
    511,  // X5
    494,  // XB
    123,  // XE
    727,  // XF
    157,  // XG
    444,  // XJ
    139,  // XK
    410,  // XL
    623,  // XM
    419,  // XO
    762,  // XP
    648,  // XQ
    647,  // XW
    270,  // XX
    379,  // XY
    733,  // Y4
    79,  // Y5
    462,  // Y8
    326,  // Y9
    763,  // YC
    765,  // YE
    407,  // YL
    446,  // YM
    696,  // YO
    544,  // YS
    64,  // YV
    51,  // YW
    569,  // YX
    745,  // YY
    766,  // YZ
    622,  // Z3
    508,  // Z4
    318,  // Z5
    769,  // Z6
    90,  // Z8
    370,  // ZC
    224,  // ZE
    744,  // ZG
    173,  // ZH
    1,  // ZI
    276,  // ZK
    581,  // ZL
    336,  // ZM
    767,  // ZN
    771,  // ZP
    412,  // ZQ
    624,  // ZS
    714,  // ZV
    81,  // ZW
    770,  // ZX
    19,  // ZY
};
// clang-format on

}  // namespace

constinit const std::span<const Airline> kAirlines(kAirlineRows);
constinit const std::span<const std::uint16_t> kAirlinesByIata(kIataRows);

}  // namespace corvane::reference
