#include "texts.h"

#include <array>

namespace kestrova::server {
namespace {

using TextTable = std::array<LocalText, static_cast<std::size_t>(TextId::kCount)>;

TextTable MakeTexts() {
  TextTable t;
  const auto set = [&t](TextId id, LocalText text) { t[static_cast<std::size_t>(id)] = std::move(text); };
  set(TextId::kMissingParameter,
      {"Missing parameter: {0}", "Не указан параметр: {0}", "Falta el parámetro: {0}", "Paramètre manquant : {0}"});
  set(TextId::kBadParameter, {"Bad value of parameter {0}", "Неверное значение параметра {0}",
                              "Valor incorrecto del parámetro {0}", "Valeur incorrecte du paramètre {0}"});
  set(TextId::kTooLong, {"The text of {0} is too long", "Слишком длинный текст: {0}",
                         "El texto de {0} es demasiado largo", "Le texte de {0} est trop long"});
  set(TextId::kWrongPassword, {"Wrong login or password", "Неверный логин или пароль",
                               "Usuario o contraseña incorrectos", "Identifiant ou mot de passe incorrect"});
  set(TextId::kBadSession,
      {"Your session has expired. Please log in again.", "Сеанс устарел. Войдите снова.",
       "Su sesión ha caducado. Vuelva a iniciar sesión.", "Votre session a expiré. Veuillez vous reconnecter."});
  set(TextId::kUnknownId, {"Nothing found for {0}={1}", "Ничего не найдено для {0}={1}",
                           "No se encontró nada para {0}={1}", "Rien trouvé pour {0}={1}"});
  set(TextId::kInsufficientBalance,
      {"Not enough credit: {0} needed, your balance is {1}.", "Недостаточно средств: нужно {0}, на счёте {1}.",
       "Saldo insuficiente: se necesitan {0}, su saldo es {1}.",
       "Crédit insuffisant : {0} requis, votre solde est de {1}."});
  set(TextId::kNotForSale,
      {"This programme is not available on demand.", "Эта передача недоступна для просмотра по запросу.",
       "Este programa no está disponible bajo demanda.", "Ce programme n'est pas disponible à la demande."});
  set(TextId::kGiftUnknown,
      {"Unknown gift code.", "Неизвестный подарочный код.", "Código de regalo desconocido.", "Code cadeau inconnu."});
  set(TextId::kGiftUsed, {"This gift code has already been used.", "Этот подарочный код уже использован.",
                          "Este código de regalo ya se ha utilizado.", "Ce code cadeau a déjà été utilisé."});
  set(TextId::kGiftActivated,
      {"Gift code activated: {0} credits added to your account.", "Подарочный код активирован: на счёт зачислено {0}.",
       "Código activado: se han añadido {0} créditos a su cuenta.",
       "Code cadeau activé : {0} crédits ajoutés à votre compte."});
  set(TextId::kFeedbackThanks,
      {"Thank you! Your message has been sent to the service team.",
       "Спасибо! Ваше сообщение отправлено службе поддержки.",
       "¡Gracias! Su mensaje se ha enviado al equipo del servicio.",
       "Merci ! Votre message a été transmis à l'équipe du service."});
  set(TextId::kSubscribed,
      {"Subscription to {0} is active for {1} days.", "Подписка на {0} активна, дней: {1}.",
       "La suscripción a {0} está activa durante {1} días.", "L'abonnement à {0} est actif pour {1} jours."});
  set(TextId::kAlreadySubscribed,
      {"You are already subscribed to {0} for {1} more days.", "Вы уже подписаны на {0}, осталось дней: {1}.",
       "Ya está suscrito a {0} durante {1} días más.", "Vous êtes déjà abonné à {0} pour encore {1} jours."});
  set(TextId::kFreeChannel, {"{0} is free to watch.", "{0} можно смотреть бесплатно.", "{0} es gratuito.",
                             "{0} est gratuit."});
  set(TextId::kUpdateRecommended,
      {"Kestrova {0} is available. Update now?", "Доступна версия Kestrova {0}. Обновить?",
       "Kestrova {0} está disponible. ¿Actualizar ahora?", "Kestrova {0} est disponible. Mettre à jour ?"});
  set(TextId::kUpdateRequired,
      {"This version is no longer supported. Please install Kestrova {0}.",
       "Эта версия больше не поддерживается. Установите Kestrova {0}.",
       "Esta versión ya no es compatible. Instale Kestrova {0}.",
       "Cette version n'est plus prise en charge. Installez Kestrova {0}."});
  set(TextId::kFavouritesFolder, {"Favourites", "Избранное", "Favoritos", "Favoris"});
  set(TextId::kPurchasesFolder, {"My purchases", "Мои покупки", "Mis compras", "Mes achats"});
  set(TextId::kWelcomeHeader,
      {"Welcome to Kestrova", "Добро пожаловать в Kestrova", "Bienvenido a Kestrova", "Bienvenue sur Kestrova"});
  set(TextId::kWelcomeText,
      {"Your account {0} is ready. Top up your balance by SMS or with a gift code in the settings.",
       "Ваша учётная запись {0} готова. Пополните счёт по SMS или подарочным кодом в настройках.",
       "Su cuenta {0} está lista. Recargue su saldo por SMS o con un código de regalo en los ajustes.",
       "Votre compte {0} est prêt. Rechargez votre solde par SMS ou avec un code cadeau dans les réglages."});
  set(TextId::kCreditHeader, {"Payment received", "Платёж получен", "Pago recibido", "Paiement reçu"});
  set(TextId::kCreditText,
      {"{0} credits were added to your account by SMS.", "По SMS на ваш счёт зачислено {0}.",
       "Se han añadido {0} créditos a su cuenta por SMS.", "{0} crédits ont été ajoutés à votre compte par SMS."});
  set(TextId::kSubscriptionHeader,
      {"Subscription active", "Подписка активна", "Suscripción activa", "Abonnement actif"});
  set(TextId::kSubscriptionText,
      {"{0} is now available for {1} days.", "{0}: доступ открыт, дней: {1}.", "{0} está disponible durante {1} días.",
       "{0} est disponible pendant {1} jours."});
  set(TextId::kInternalError, {"The service is temporarily unavailable.", "Сервис временно недоступен.",
                               "El servicio no está disponible temporalmente.",
                               "Le service est temporairement indisponible."});
  return t;
}

}  // namespace

const std::string& Text(TextId id, Language language) {
  static const TextTable kTexts = MakeTexts();
  return kTexts[static_cast<std::size_t>(id)].In(language);
}

}  // namespace kestrova::server
