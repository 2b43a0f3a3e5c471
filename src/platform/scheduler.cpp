#include "platform/scheduler_port.h"

namespace zephyr {
namespace {

// The five characters XML gives a meaning to, as entities.
std::string XmlText(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string LogonTaskName(std::string_view user) {
  const std::size_t slash = user.find_last_of('\\');
  if (slash != std::string_view::npos) user.remove_prefix(slash + 1);
  std::string name = "Zephyrnet (";
  for (const char c : user) {
    const bool forbidden = std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos ||
                           static_cast<unsigned char>(c) < 0x20;
    name += forbidden ? '_' : c;
  }
  return name + ")";
}

std::string LogonTaskXml(std::string_view user, std::string_view program) {
  const std::string who = XmlText(user);
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         "  <RegistrationInfo><Description>Starts Zephyrnet when " + who +
         " logs on.</Description></RegistrationInfo>\r\n"
         "  <Triggers><LogonTrigger><Enabled>true</Enabled><UserId>" + who +
         "</UserId></LogonTrigger></Triggers>\r\n"
         "  <Principals><Principal id=\"Author\"><UserId>" + who +
         "</UserId><LogonType>InteractiveToken</LogonType>"
         "<RunLevel>HighestAvailable</RunLevel></Principal></Principals>\r\n"
         "  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
         "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
         "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
         "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Enabled>true</Enabled></Settings>\r\n"
         "  <Actions Context=\"Author\"><Exec><Command>" + XmlText(program) +
         "</Command></Exec></Actions>\r\n"
         "</Task>\r\n";
}

}  // namespace zephyr
