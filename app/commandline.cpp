#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace tintrix {

namespace {

constexpr const char* kUsage =
    "Usage: tintrix [OPTIONS]\n"
    "Starts Tintrix, the strip at the top of the screen that turns a line of text into faded\n"
    "HTML, one colour tag per character. For scripts, see tintrix-fade.\n"
    "\n"
    "  -h, --help            show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Qt's own options are passed on, for example -platform NAME, -style NAME, -display DISPLAY,\n"
    "-qwindowgeometry WxH+X+Y and -reverse.\n"
    "\n"
    "Exit status: 0 when the window is closed or after --help and --version, 1 when their\n"
    "answer cannot be written, 2 on a usage error.\n";

// The options that QGuiApplication, QApplication and the X11 platform read themselves. They
// are recognised here only so that they are not refused; Qt takes them from argv later.
// Names are separated by spaces.
constexpr const char kQtOptionsWithValue[] =
    "platform platformpluginpath platformtheme plugin qwindowgeometry qwindowicon qwindowtitle "
    "session style stylesheet qmljsdebugger display geometry title icon name visual";
constexpr const char kQtFlags[] = "reverse widgetcount nograb dograb";

int UsageError(const QString& message) {
  std::fprintf(stderr, "tintrix: %s Try 'tintrix --help'.\n",
               qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
  return 2;
}

// QCommandLineParser names an unknown option without its dashes, "--bogus" and "-bogus" alike:
// this names each as it was typed, finding them in the arguments as the parser reads them
// (up to "--", the value after an option that takes one being no option). Empty should they
// not all be found there, or when none is unknown.
QString UnknownOptionsError(const QStringList& arguments, const QStringList& unknownNames,
                            const QStringList& namesWithValue) {
  QStringList typed;
  for (qsizetype i = 1; i < arguments.size() && typed.size() < unknownNames.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == u"--") break;
    if (argument.size() < 2 || !argument.startsWith(u'-')) continue;
    const qsizetype dashes = argument.startsWith(u"--") ? 2 : 1;
    const QString name = argument.mid(dashes).section(u'=', 0, 0);
    if (unknownNames.contains(name)) {
      typed.append(u'\'' + argument.left(dashes) + name + u'\'');
    } else if (namesWithValue.contains(name) && !argument.contains(u'=')) {
      ++i;
    }
  }
  if (typed.isEmpty() || typed.size() != unknownNames.size()) return {};
  return typed.size() == 1 ? QStringLiteral("Unknown option %1.").arg(typed.constFirst())
                           : QStringLiteral("Unknown options: %1.").arg(typed.join(u", "));
}

int Answer(const char* text) {
  std::fputs(text, stdout);
  if (std::fflush(stdout) != 0) {
    std::fputs("tintrix: could not write standard output\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace

std::optional<int> ReadCommandLine(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));

  QCommandLineParser parser;
  // Qt's options are single-dash words ("-platform xcb"), not clusters of letters.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringLiteral("version"));
  parser.addOption(help);
  parser.addOption(version);
  const QStringList namesWithValue = QString::fromLatin1(kQtOptionsWithValue).split(u' ');
  for (const QString& name : namesWithValue) {
    parser.addOption(QCommandLineOption(name, {}, QStringLiteral("value")));
  }
  for (const QString& name : QString::fromLatin1(kQtFlags).split(u' ')) {
    parser.addOption(QCommandLineOption(name));
  }

  if (!parser.parse(arguments)) {
    const QString unknown =
        UnknownOptionsError(arguments, parser.unknownOptionNames(), namesWithValue);
    return UsageError(unknown.isEmpty() ? parser.errorText() : unknown);
  }
  if (!parser.positionalArguments().isEmpty()) {
    return UsageError(
        QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));
  }
  if (parser.isSet(help)) return Answer(kUsage);
  if (parser.isSet(version)) return Answer("tintrix " TINTRIX_VERSION "\n");
  return std::nullopt;
}

}  // namespace tintrix
