#include "cli/Commands.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Build.h"
#include "cli/Check.h"
#include "cli/CliError.h"
#include "cli/Dates.h"
#include "cli/Export.h"
#include "cli/Import.h"
#include "cli/InputFile.h"
#include "cli/JsonIo.h"
#include "cli/Report.h"
#include "cli/Show.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "outputs/ZipCommand.h"
#include "statement/StatementFile.h"

namespace epinax::cli {

namespace {

const char* const kHelp = R"(epinax-cli: συγκεντρωτικές καταστάσεις πελατών και προμηθευτών από τη γραμμή εντολών
epinax-cli: customer and supplier statements from the command line

  epinax-cli build INPUT.json -o OUT [--force]
      Πληκτρολογεί στο πρόγραμμα την κατάσταση του INPUT.json (γενικά στοιχεία,
      πελάτες, προμηθευτές, αξίες δημοσίου), με τους ίδιους ελέγχους, και την
      αποθηκεύει στο OUT. Ένα υπάρχον OUT αντικαθίσταται μόνο με --force.

      Types the statement of INPUT.json into the program (header, customers,
      suppliers, public-sector values), under the same checks, and saves it
      as OUT. An existing OUT is replaced only with --force. INPUT "-" is stdin.

  epinax-cli show FILE
      Ανοίγει το αρχείο κατάστασης όπως το Άνοιγμα και το τυπώνει ως JSON, στη
      μορφή του build, με τον αύξοντα αριθμό (AA) κάθε εγγραφής και τα σύνολα.

      Opens the statement file as Open does and prints it as JSON, in the
      shape build reads, with each row's number (AA) and the totals.

  epinax-cli check FILE [--date YYYYMMDD]
      Αναφέρει ΚΑΘΕ πρόβλημα του αρχείου με τη γραμμή του: γραμμές που το
      Άνοιγμα απορρίπτει, γενικά στοιχεία που η αποθήκευση απορρίπτει, εγγραφές
      που οι κανόνες απορρίπτουν, διπλούς ΑΦΜ και σύνολα που δεν συμφωνούν.
      Η ημερομηνία (προεπιλογή: σήμερα) δίνει το τρέχον έτος του ελέγχου έτους.
      Αναφέρονται έως τα πρώτα 1000 προβλήματα· το «moreProblems» μετρά τα υπόλοιπα.

      Reports EVERY problem of the file with its line: lines Open refuses,
      header fields Save As refuses, rows the row rules refuse, repeated tax
      numbers and totals that disagree with the rows. The date (default:
      today) gives the current year of the year check. At most the first
      1000 problems are listed; "moreProblems" counts the rest.

  epinax-cli report FILE --customers|--suppliers [-o OUT.htm]
  epinax-cli report FILE --customers|--suppliers --pdf [-o OUT.pdf]
      Ανοίγει το αρχείο κατάστασης όπως το Άνοιγμα και γράφει την εκτύπωση της
      συγκεντρωτικής κατάστασης πελατών ή προμηθευτών (HTML, Windows-1253) στο
      OUT.htm, αντικαθιστώντας το· προεπιλογή Pelates.htm ή Promitheftes.htm.
      Με --pdf γράφει τις σελίδες του παραθύρου εκτύπωσης ως PDF (Pelates.pdf).

      Opens the statement file as Open does and writes the printed statement
      of its customers or suppliers (HTML, Windows-1253) to OUT.htm, replacing
      it; by default Pelates.htm or Promitheftes.htm in this directory. With
      --pdf it writes the print window's pages as a PDF file (Pelates.pdf).

  epinax-cli export FILE --customers|--suppliers|--both -o OUT.xlsx|OUT.ods|OUT.csv [--force]
      Ανοίγει το αρχείο κατάστασης όπως το Άνοιγμα και γράφει τους πελάτες, τους
      προμηθευτές ή και τα δύο σε λογιστικό φύλλο, ένα φύλλο ανά λίστα, με
      επικεφαλίδες· η μορφή από την κατάληξη του OUT. Ένα .csv (UTF-8, «;»)
      χωράει μία λίστα. Ένα υπάρχον OUT αντικαθίσταται μόνο με --force.

      Opens the statement file as Open does and writes its customers, its
      suppliers or both to a spreadsheet, one sheet per list, with a heading
      row; the format by OUT's extension. A .csv (UTF-8, ";") holds one list.
      An existing OUT is replaced only with --force.

  epinax-cli import FILE WORKBOOK --customers|--suppliers -o OUT [--force] [--date YYYYMMDD]
                    [--sheet NAME|N] [--header-rows N] [--columns KEY=COL,...]
      Ανοίγει το αρχείο κατάστασης, εισάγει τις γραμμές του WORKBOOK (.xls, .xlsx,
      .ods ή .csv· στήλες A έως J, χωρίς επικεφαλίδες) στους πελάτες ή στους
      προμηθευτές όπως η «Εισαγωγή στοιχείων από Excel», και αποθηκεύει στο OUT.
      Το --sheet διαλέγει φύλλο με το όνομα ή τον αριθμό του (από 1), το
      --header-rows παραλείπει τις πρώτες N γραμμές, και το --columns λέει από
      ποια στήλη (A, B, … AA) έρχεται κάθε πεδίο: afm, name, profession,
      obliged, city, street, number, postcode, invoices, value· το obliged
      δέχεται και σταθερή τιμή 0 ή 1. Με --columns, ένα πεδίο που λείπει μένει
      κενό. Αν απορριφθούν γραμμές, αναφέρεται κάθε μία με γραμμή και στήλη.

      Opens the statement file, imports the rows of WORKBOOK (.xls, .xlsx, .ods
      or .csv; columns A to J, no heading row) into its customers or suppliers
      as the menu's import does, and saves it as OUT. --sheet picks a sheet by
      name or number (from 1), --header-rows skips the first N rows, and
      --columns says which column (A, B, ... AA) each field comes from: afm,
      name, profession, obliged, city, street, number, postcode, invoices,
      value; obliged also takes the constant 0 or 1. With --columns, a field
      left out stays empty. When rows are refused, every one is reported with
      its row and column.

  epinax-cli zip FILE [-o ARCHIVE] [--force]
      Συμπιέζει το FILE σε αρχείο zip με αυτό ως μόνο περιεχόμενο, για την
      υποβολή του· προεπιλογή το FILE.zip δίπλα του. Ένα υπάρχον ARCHIVE
      αντικαθίσταται μόνο με --force.

      Packs FILE into a zip archive holding it alone, for upload; by default
      FILE.zip beside it. An existing ARCHIVE is replaced only with --force.

  epinax-cli --help | --version
      Τυπώνει αυτή τη βοήθεια ή την έκδοση του προγράμματος.

      Prints this help or the program's version.

Το JSON του build / The JSON of build (every value a string, missing keys empty):
  {"date": "YYYYMMDD", "kind": "debit" | "credit",
   "header": {"YearOfData", "DOY", "Edit1", "CompanyName", "AFM", "AntikeimenoErgasion",
              "Town", "Street", "Number", "TK", "Tel", "Fax", "email", "Egatastash"},
   "EditPub1": "...", "EditPub2": "...",
   "customers": [{"AFM", "Name", "Prof", "Ypovolh", "City", "Street", "StreetNo",
                  "TK", "NoTimologion", "Value"}, ...],
   "suppliers": [...]}

Έξοδος / Exit codes: 0 επιτυχία / success, 1 απορρίφθηκε από κανόνα / refused by a rule,
2 λάθος χρήση ή αρχείο που δεν διαβάζεται / bad usage or unreadable input.
Το stdout έχει μόνο JSON· τα μηνύματα πάνε στο stderr.
stdout carries only JSON; messages go to stderr.
)";

struct TArguments {
    std::string command;
    std::vector<std::string> operands;
    std::optional<std::string> output, date;
    std::vector<std::string> lists;  // --customers, --suppliers (report)
    bool force = false;
    bool help = false;
    bool version = false;
    bool pdf = false;                                       // report
    bool both = false;                                      // export
    std::optional<std::string> sheet, headerRows, columns;  // import
};

[[noreturn]] void Usage(const std::string& message) { throw CliError(kExitUsage, message + "\n(epinax-cli --help)"); }

std::string ValueAfter(const std::vector<std::string>& args, size_t& i)
{
    if (i + 1 >= args.size()) Usage("Η επιλογή " + args[i] + " θέλει τιμή");
    return args[++i];
}

bool TakeOption(const std::vector<std::string>& args, size_t& i, TArguments& out)
{
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h")
        out.help = true;
    else if (arg == "--version")
        out.version = true;
    else if (arg == "--force")
        out.force = true;
    else if (arg == "--pdf")
        out.pdf = true;
    else if (arg == "--both")
        out.both = true;
    else if (arg == "-o" || arg == "--output")
        out.output = ValueAfter(args, i);
    else if (arg.starts_with("--output="))
        out.output = arg.substr(9);
    else if (arg == "--date")
        out.date = ValueAfter(args, i);
    else if (arg.starts_with("--date="))
        out.date = arg.substr(7);
    else if (arg == "--customers" || arg == "--suppliers")
        out.lists.push_back(arg);
    else if (arg == "--sheet" || arg == "--header-rows" || arg == "--columns")
        (arg == "--sheet" ? out.sheet : arg == "--columns" ? out.columns : out.headerRows) = ValueAfter(args, i);
    else if (arg.starts_with("--sheet=") || arg.starts_with("--header-rows=") || arg.starts_with("--columns="))
        (arg[2] == 's' ? out.sheet : arg[2] == 'c' ? out.columns : out.headerRows) = arg.substr(arg.find('=') + 1);
    else
        return false;
    return true;
}

TArguments ParseArguments(const std::vector<std::string>& args)
{
    TArguments out;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (out.command.empty())
                out.command = arg;
            else
                out.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (!TakeOption(args, i, out)) {
            Usage("Άγνωστη επιλογή «" + arg + "»");
        }
    }
    return out;
}

void Expect(const TArguments& a, const char* operand, bool output, bool force, bool date)
{
    if (a.operands.size() != 1) Usage(a.command + ": δώστε ένα αρχείο " + operand);
    if ((a.output && !output) || (a.force && !force) || (a.date && !date) || !a.lists.empty() || a.pdf || a.sheet ||
        a.headerRows || a.columns)
        Usage(a.command + ": επιλογή που δεν ισχύει για αυτή την εντολή");
}

// A JSON statement is at most some hundred bytes a row; no limit is set.
std::string ReadJsonInput(const std::string& path)
{
    return *ReadInputUpTo(path, std::numeric_limits<std::size_t>::max());
}

void Print(const nlohmann::ordered_json& value) { std::cout << Dump(value) << std::endl; }

int BuildCommand(const TArguments& a)
{
    Expect(a, "INPUT.json", true, true, false);
    if (!a.output || a.output->empty()) Usage("build: δώστε το αρχείο που θα γραφτεί με -o OUT");
    if (FileExists(*a.output) && !a.force)
        throw CliError(kExitUsage, "Το αρχείο " + *a.output + " υπάρχει ήδη· αντικαθίσταται μόνο με --force");
    TStatementInput input = ParseStatementInput(ReadJsonInput(a.operands[0]));
    BuildStatement(input, *a.output, a.force);
    Print({{"written", *a.output}});
    return kExitSuccess;
}

int ShowCommand(const TArguments& a)
{
    Expect(a, "FILE", false, false, false);
    ShowStatement(a.operands[0], std::cout);
    std::cout << std::endl;
    return kExitSuccess;
}

// A file larger than any statement is refused unread, as Open refuses it.
TCheckOutcome CheckOrRefuseUnread(const std::string& path, TDate today)
{
    auto bytes = ReadInputUpTo(path, kLargestStatementFileBytes);
    if (!bytes) return {{{1, InvalidFileMessage()}}, 0};
    return CheckStatement(*bytes, today);
}

int CheckCommand(const TArguments& a)
{
    Expect(a, "FILE", false, false, true);
    TDate today = LocalToday();
    if (a.date) {
        auto date = ParseDate(*a.date);
        if (!date) Usage(DateRefusal(*a.date));
        today = *date;
    }
    TCheckOutcome outcome = CheckOrRefuseUnread(a.operands[0], today);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& problem : outcome.problems)
        list.push_back({{"line", problem.lineNumber}, {"message", problem.message}});
    nlohmann::ordered_json report = {{"problems", std::move(list)}};
    if (outcome.notShown > 0) report["moreProblems"] = outcome.notShown;
    Print(report);
    return outcome.problems.empty() ? kExitSuccess : kExitRefused;
}

int ReportCommand(TArguments a)
{
    if (a.lists.size() != 1) Usage("report: δώστε ένα από --customers, --suppliers");
    const TSide side = a.lists[0] == "--customers" ? TSide::Customers : TSide::Suppliers;
    const bool pdf = std::exchange(a.pdf, false);
    a.lists.clear();
    Expect(a, "FILE", true, false, false);
    if (a.output && a.output->empty()) Usage("report: το -o θέλει όνομα αρχείου");
    const std::string html = ReportFileName(side);
    const std::string output = a.output.value_or(pdf ? html.substr(0, html.rfind('.')) + ".pdf" : html);
    if (pdf)
        WriteStatementPdf(a.operands[0], side, output);
    else
        WriteStatementReport(a.operands[0], side, output);
    Print({{"written", output}});
    return kExitSuccess;
}

// An unreadable FILE or unwritable
// ARCHIVE ends with 2, a file or name the format cannot hold with 1.
int ZipCommand(const TArguments& a)
{
    Expect(a, "FILE", true, true, false);
    if (a.output && a.output->empty()) Usage("zip: το -o θέλει όνομα αρχείου");
    const std::string archive = a.output.value_or(DefaultArchivePath(a.operands[0]));
    if (ArchiveNameTaken(archive) && !a.force)
        throw CliError(kExitUsage, "Το αρχείο " + archive + " υπάρχει ήδη· αντικαθίσταται μόνο με --force");
    ZipOneFile(a.operands[0], archive);
    Print({{"written", archive}});
    return kExitSuccess;
}

int ImportCommand(TArguments a)
{
    if (a.lists.size() != 1) Usage("import: δώστε ένα από --customers, --suppliers");
    const TSide side = a.lists[0] == "--customers" ? TSide::Customers : TSide::Suppliers;
    a.lists.clear();
    if (a.operands.size() != 2) Usage("import: δώστε το αρχείο κατάστασης και το βιβλίο εργασίας");
    if (!a.output || a.output->empty()) Usage("import: δώστε το αρχείο που θα γραφτεί με -o OUT");
    if (FileExists(*a.output) && !a.force)
        throw CliError(kExitUsage, "Το αρχείο " + *a.output + " υπάρχει ήδη· αντικαθίσταται μόνο με --force");
    std::optional<TDate> date;
    if (a.date) {
        date = ParseDate(*a.date);
        if (!date) Usage(DateRefusal(*a.date));
    }
    const auto layout = ImportLayoutFromOptions(a.sheet, a.headerRows, a.columns);
    ImportIntoStatement(a.operands[0], a.operands[1], side, *a.output, a.force, date, layout);
    Print({{"written", *a.output}});
    return kExitSuccess;
}

int ExportCommand(TArguments a)
{
    std::vector<TSide> sides;
    for (const std::string& list : a.lists)
        sides.push_back(list == "--customers" ? TSide::Customers : TSide::Suppliers);
    if (a.both) sides = {TSide::Customers, TSide::Suppliers};
    if (a.lists.size() + (a.both ? 1 : 0) != 1) Usage("export: δώστε ένα από --customers, --suppliers, --both");
    a.lists.clear();
    Expect(a, "FILE", true, true, false);
    if (!a.output || a.output->empty()) Usage("export: δώστε το λογιστικό φύλλο που θα γραφτεί με -o OUT");
    const std::optional<TWorkbookFormat> format = WorkbookFormatOf(*a.output);
    if (!format) Usage("export: το OUT τελειώνει σε .xlsx, .ods ή .csv, που δίνει τη μορφή του");
    if (*format == TWorkbookFormat::Csv && sides.size() != 1) Usage(CsvHoldsOneListMessage());
    if (FileExists(*a.output) && !a.force)
        throw CliError(kExitUsage, "Το αρχείο " + *a.output + " υπάρχει ήδη· αντικαθίσταται μόνο με --force");
    ExportStatementLists(a.operands[0], sides, *format, *a.output);
    Print({{"written", *a.output}});
    return kExitSuccess;
}

int Dispatch(const TArguments& a)
{
    if (a.help || a.command == "help") {
        std::cout << kHelp;
        return kExitSuccess;
    }
    if (a.version) {
        std::cout << "epinax-cli " EPINAX_VERSION "\n";
        return kExitSuccess;
    }
    if (a.command.empty()) Usage("Δώστε μια εντολή: build, show, check, report, export, import ή zip");
    if (a.both && a.command != "export") Usage(a.command + ": επιλογή που δεν ισχύει για αυτή την εντολή");
    if (a.command == "build") return BuildCommand(a);
    if (a.command == "show") return ShowCommand(a);
    if (a.command == "check") return CheckCommand(a);
    if (a.command == "zip") return ZipCommand(a);
    if (a.command == "report") return ReportCommand(a);
    if (a.command == "import") return ImportCommand(a);
    if (a.command == "export") return ExportCommand(a);
    Usage("Άγνωστη εντολή «" + a.command + "»");
}

}  // namespace

int Run(int argc, char** argv)
{
    // A write past the user's file size limit then fails, with its message,
    // instead of ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        return Dispatch(ParseArguments(std::vector<std::string>(argv + 1, argv + argc)));
    } catch (const CliError& error) {
        std::cerr << "epinax-cli: " << error.what() << std::endl;
        return error.ExitCode();
    } catch (const EFileError& error) {
        std::cerr << "epinax-cli: " << error.what() << std::endl;
        return kExitUsage;
    } catch (const std::exception& error) {
        // Core errors no step foresees.
        std::cerr << "epinax-cli: " << error.what() << std::endl;
        return kExitRefused;
    }
}

}  // namespace epinax::cli
