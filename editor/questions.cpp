#include "editor/questions.h"

namespace {

constexpr QuestionText kQuestions[] = {
    {"Изменения настроек не сохранены в файл. Сохранить их?", "Сохранить", "Не сохранять", "Отмена",
     Answer::Yes, Answer::No},
    {"Записать в GPS Quelter заводские настройки? Телефоны и все настройки трекера будут "
     "заменены.",
     "Сбросить", "Отмена", nullptr, Answer::No, Answer::Yes},
    {"Идёт запись настроек в GPS Quelter. Прервать её и закрыть окно? Трекер может остаться с "
     "записанными не до конца настройками.",
     "Прервать и закрыть", "Продолжить запись", nullptr, Answer::No, Answer::Yes},
};

}  // namespace

const QuestionText& questionText(Question question) {
    return kQuestions[static_cast<int>(question)];
}
