// The extension module scrivlet._scrivlet: convert(), read's JSON, the
// records of scrivlet.dask, and the exception classes.  Arguments are taken
// from Python objects while the GIL is held; the conversion itself runs
// without it, so that threads convert at once.
#include "ConversionCall.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace py = pybind11;

namespace scrivlet::python {
namespace {

// The exception classes, made once when the module is imported.
struct ErrorClasses {
  py::handle error, fileNotFound, passwordRequired, invalidPassword, unsupportedFormat,
      damagedDocument, limitExceeded;
};

ErrorClasses& Errors() {
  static ErrorClasses classes;
  return classes;
}

py::handle ErrorClassOf(FailureKind failure) {
  const ErrorClasses& classes = Errors();
  switch (failure) {
  case FailureKind::FileNotFound: return classes.fileNotFound;
  case FailureKind::PasswordRequired: return classes.passwordRequired;
  case FailureKind::InvalidPassword: return classes.invalidPassword;
  case FailureKind::UnsupportedFormat: return classes.unsupportedFormat;
  case FailureKind::DamagedDocument: return classes.damagedDocument;
  case FailureKind::LimitExceeded: return classes.limitExceeded;
  default: return classes.error;
  }
}

py::handle NewErrorClass(py::module_& module, const char* name, const char* doc, PyObject* bases) {
  std::string qualified = std::string("scrivlet.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, /*dict=*/nullptr);
  if (type == nullptr)
    throw py::error_already_set();
  module.add_object(name, py::handle(type)); // the module and Errors() each hold one
  return type;
}

void MakeErrorClasses(py::module_& module) {
  ErrorClasses& classes = Errors();
  classes.error = NewErrorClass(
      module, "Error", "A document could not be converted; the message is the program's.", nullptr);
  auto derived = [&](const char* name, const char* doc) {
    return NewErrorClass(module, name, doc, classes.error.ptr());
  };
  classes.passwordRequired =
      derived("PasswordRequired", "The document is encrypted and no password was given.");
  classes.invalidPassword =
      derived("InvalidPassword", "The document is encrypted and the password does not open it.");
  classes.unsupportedFormat = derived(
      "UnsupportedFormat", "The content is of no format the readers read (or not of the one "
                           "reader= names).");
  classes.damagedDocument =
      derived("DamagedDocument", "The document is of a known format but cannot be read.");
  classes.limitExceeded = derived(
      "LimitExceeded", "The document passes one of the conversion's limits, or the memory.");
  py::tuple bases = py::make_tuple(classes.error, py::handle(PyExc_FileNotFoundError));
  classes.fileNotFound =
      NewErrorClass(module, "FileNotFound",
                    "No file has the name given (also a FileNotFoundError).", bases.ptr());
}

// A keyword argument as the command line's text: None is absent, an int
// its digits, bytes and str as they are.
std::optional<std::string> SettingText(const py::object& value) {
  if (value.is_none())
    return std::nullopt;
  if (py::isinstance<py::bool_>(value))
    throw py::type_error("a number or text was expected, not a bool");
  if (py::isinstance<py::int_>(value))
    return py::str(value).cast<std::string>();
  if (py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value))
    return value.cast<std::string>();
  throw py::type_error("a number or text was expected, not " +
                       py::str(py::type::of(value).attr("__name__")).cast<std::string>());
}

// items=: None, "text,summary", or an iterable of names.
std::optional<std::string> ItemsText(const py::object& items) {
  if (items.is_none() || py::isinstance<py::str>(items))
    return SettingText(items);
  std::string list;
  for (py::handle item : items) {
    if (!list.empty())
      list += ',';
    list += py::cast<std::string>(item);
  }
  return list;
}

using SharedOptions = std::shared_ptr<const CommandLineOptions>;

SharedOptions ParsedOptions(const CallSettings& settings) {
  std::string error;
  std::optional<CommandLineOptions> options = OptionsFor(settings, error);
  if (!options)
    throw py::value_error(error);
  return std::make_shared<const CommandLineOptions>(std::move(*options));
}

// The options of the settings seen last, parsed once: most programs call
// with the same few settings again and again, and parsing them costs as
// much as converting a small document.  Read and written with the GIL held
// only; a conversion running without it holds its own reference.  Calls
// with a password are parsed each time (no password is kept).
SharedOptions RememberedOptions(const CallSettings& settings) {
  static std::unordered_map<std::string, SharedOptions> remembered;
  constexpr size_t kRemembered = 64;
  std::string key = settings.format;
  for (const std::optional<std::string>* value :
       {&settings.items, &settings.maxLength, &settings.reader, &settings.codePage}) {
    key += value->has_value() ? '\1' : '\0';
    key += value->value_or("");
  }
  key += settings.json ? '\1' : '\0';
  auto found = remembered.find(key);
  if (found != remembered.end())
    return found->second;
  SharedOptions options = ParsedOptions(settings);
  if (remembered.size() >= kRemembered)
    remembered.clear();
  remembered.emplace(std::move(key), options);
  return options;
}

SharedOptions OptionsOf(const py::object& format, const py::object& items,
                        const py::object& password, const py::object& maxLength,
                        const py::object& reader, const py::object& codePage, bool json) {
  CallSettings settings;
  settings.format = py::cast<std::string>(format);
  settings.items = ItemsText(items);
  settings.password = SettingText(password);
  settings.maxLength = SettingText(maxLength);
  settings.reader = SettingText(reader);
  settings.codePage = SettingText(codePage);
  settings.json = json;
  if (settings.password)
    return ParsedOptions(settings);
  return RememberedOptions(settings);
}

// A path (str or os.PathLike) or the document's bytes (any contiguous or
// not buffer: bytes, bytearray, memoryview), copied so that the conversion
// needs no Python object.
CallSource PathSource(const py::handle& source) {
  py::object path = py::reinterpret_steal<py::object>(PyOS_FSPath(source.ptr()));
  if (path && py::isinstance<py::str>(path))
    path = py::reinterpret_steal<py::object>(PyUnicode_EncodeFSDefault(path.ptr()));
  if (!path)
    throw py::error_already_set();
  CallSource call;
  call.path = path.cast<std::string>();
  if (call.path == "-")
    call.path = "./-"; // a file of that name, not standard input
  return call;
}

CallSource BytesSource(const py::handle& source) {
  Py_buffer view;
  if (PyObject_GetBuffer(source.ptr(), &view, PyBUF_FULL_RO) != 0)
    throw py::error_already_set();
  CallSource call;
  call.data.resize(static_cast<size_t>(view.len));
  int copied = PyBuffer_ToContiguous(call.data.data(), &view, view.len, 'C');
  PyBuffer_Release(&view);
  if (copied != 0)
    throw py::error_already_set();
  call.inMemory = true;
  return call;
}

// Asked in this order, a call asks no more than it needs (bytes have no
// __fspath__ to look for).
CallSource SourceOf(const py::handle& source) {
  if (PyUnicode_Check(source.ptr()))
    return PathSource(source);
  if (PyObject_CheckBuffer(source.ptr()))
    return BytesSource(source);
  if (py::hasattr(source, "__fspath__"))
    return PathSource(source);
  throw py::type_error("source must be a path (str, os.PathLike) or the document's bytes");
}

ConvertedDocument Run(const CommandLineOptions& options, const CallSource& source,
                      ConversionDetails& details) {
  py::gil_scoped_release release;
  return RunCall(options, source, details);
}

[[noreturn]] void Raise(const ConvertedDocument& result, const ConversionDetails& details) {
  PyErr_SetString(ErrorClassOf(details.failure).ptr(), result.error.c_str());
  throw py::error_already_set();
}

py::object OutputObject(const CommandLineOptions& options, const std::string& output) {
  if (!WritesUtf8(options))
    return py::bytes(output);
  PyObject* text = PyUnicode_DecodeUTF8(output.data(), static_cast<Py_ssize_t>(output.size()),
                                        "surrogateescape");
  if (text == nullptr)
    throw py::error_already_set();
  return py::reinterpret_steal<py::object>(text);
}

py::object Convert(const py::object& source, const py::object& format, const py::object& items,
                   const py::object& password, const py::object& maxLength,
                   const py::object& reader, const py::object& codePage) {
  SharedOptions options = OptionsOf(format, items, password, maxLength, reader, codePage, false);
  ConversionDetails details;
  ConvertedDocument result = Run(*options, SourceOf(source), details);
  if (result.failed)
    Raise(result, details);
  return OutputObject(*options, result.output);
}

py::bytes ReadJson(const py::object& source, const py::object& format, const py::object& items,
                   const py::object& password, const py::object& maxLength,
                   const py::object& reader, const py::object& codePage) {
  SharedOptions options = OptionsOf(format, items, password, maxLength, reader, codePage, true);
  ConversionDetails details;
  ConvertedDocument result = Run(*options, SourceOf(source), details);
  if (result.failed)
    Raise(result, details);
  return py::bytes(result.output);
}

// What scrivlet.dask keeps of one document; a failure is in it, never
// raised: (output, reader, summary JSON, error kind name or None, message).
py::tuple Record(const py::object& source, const py::object& format, const py::object& items,
                 const py::object& password, const py::object& maxLength,
                 const py::object& reader) {
  SharedOptions options = OptionsOf(format, items, password, maxLength, reader, py::none(), false);
  ConversionDetails details;
  details.summaryWanted = true;
  ConvertedDocument result = Run(*options, SourceOf(source), details);
  py::object kind = py::none();
  if (result.failed)
    kind = ErrorClassOf(details.failure).attr("__name__");
  return py::make_tuple(
      result.failed ? py::object(py::none()) : OutputObject(*options, result.output),
      details.readerName.empty() ? py::object(py::none()) : py::object(py::str(details.readerName)),
      py::bytes(details.summary.empty() ? "null" : details.summary), kind,
      result.failed ? py::object(py::str(result.error)) : py::object(py::none()));
}

constexpr const char* kConvertDoc =
    R"(Converts a document and returns its text in the chosen format.

source: a path (str or os.PathLike) or the document's bytes (bytes,
bytearray, memoryview).
format: "text" (or "plain"), "rtf", "html", "html5" or "markdown", as the
command line's --format.
items: the command line's --items, as "text,summary" or a list of names.
password: the password of an encrypted document.
max_length: keep at most this many characters.
reader: force a reader ("doc", "docx", ...), else told from the content.
code_page: the code page of plain, RTF and HTML output (a Windows code page
number, or "utf-8", the default); such output comes back as bytes, every
other as str.

Raises scrivlet.Error (PasswordRequired, InvalidPassword, UnsupportedFormat,
DamagedDocument, LimitExceeded, FileNotFound) with the program's message,
ValueError for an option value the command line refuses.)";

} // namespace
} // namespace scrivlet::python

PYBIND11_MODULE(_scrivlet, module) {
  using namespace scrivlet::python;
  module.doc() = "The conversions of scrivlet, in Python (see the package scrivlet).";
  MakeErrorClasses(module);
  module.def("convert", &Convert, py::arg("source"), py::kw_only(), py::arg("format") = "text",
             py::arg("items") = py::none(), py::arg("password") = py::none(),
             py::arg("max_length") = py::none(), py::arg("reader") = py::none(),
             py::arg("code_page") = py::none(), kConvertDoc);
  module.def("_read_json", &ReadJson, py::arg("source"), py::kw_only(), py::arg("format") = "text",
             py::arg("items") = py::none(), py::arg("password") = py::none(),
             py::arg("max_length") = py::none(), py::arg("reader") = py::none(),
             py::arg("code_page") = py::none(),
             "The document's --json object as UTF-8 bytes (scrivlet.read parses it).");
  module.def("_record", &Record, py::arg("source"), py::kw_only(), py::arg("format") = "text",
             py::arg("items") = py::none(), py::arg("password") = py::none(),
             py::arg("max_length") = py::none(), py::arg("reader") = py::none(),
             "One document for scrivlet.dask: (output, reader, summary JSON, error class "
             "name or None, message or None); never raises for the document.");
  module.def("formats", &FormatNames, "The names that format= accepts.");
  module.def("readers", &ReaderKindNames, "The readers' names, as reader= takes them.");
  module.attr("__version__") = SCRIVLET_VERSION;
}
