#!/usr/bin/env python3
"""Writes the hand-made settings files of the tests in Windows-1251.

The scrambled password and access records are computed here independently
of the program, from the generator and seeds the stored files use.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
seed = 0


def rnd(n):
    global seed
    seed = (seed * 134775813 + 1) & 0xFFFFFFFF
    return (seed * n) >> 32


def keystream(r, key, shifts):
    for i in range(4, 16):
        s = rnd(shifts)
        r[i] ^= (((key << s) & 0xFFFFFFFF) + rnd(256)) & 0xFF


def with_sum(r):
    s = sum(r[:14]) & 0xFFFF
    r[14], r[15] = s & 255, s >> 8


def to_hex(r):
    global seed
    saved, seed = seed, 0x0B7E2D41
    out = ''.join('%02X' % (b ^ rnd(256)) for b in r)
    seed = saved
    return out


def pack_password(pw, key):
    r = [0] * 16
    for i, c in enumerate(pw.encode('cp1251')[:10]):
        r[4 + i] = c
    r[0:4] = list(seed.to_bytes(4, 'little'))
    with_sum(r)
    keystream(r, key, 4)
    return to_hex(r)


def checksum(text):
    t = 0
    for i, c in enumerate(text.encode('cp1251'), 1):
        if c not in (9, 10, 13, 32):
            t = (t + ((c ^ i) & 255)) & 0xFFFF
    return len(text.encode('cp1251')) * 65536 + t


def pack_access(number, doc_id, description):
    t = checksum(description)
    r = [rnd(256) for _ in range(14)] + [0, 0]
    r[8] = number
    r[0:4] = list((seed ^ t).to_bytes(4, 'little'))
    with_sum(r)
    keystream(r, doc_id, 3)
    return to_hex(r)


def write(name, lines):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(''.join(l + '\r\n' for l in lines).encode('cp1251'))


def section(name):
    return ['', '  [' + name + ']']


def doc(level, name, doc_id, desc_lines, number):
    pad = ' ' * (2 * level + 6)
    description = ''.join(l + '\r\n' for l in desc_lines)
    out = [pad + 'УРОВЕНЬ=%d' % level, pad + 'ИМЯ_ДОК=' + name, pad + 'ИД_ФОРМЫ=%d' % doc_id]
    out += [pad + 'ОПИСАНИЕ=' + l for l in desc_lines]
    out.append(pad + 'НОМ_ПАРОЛЬ=' + pack_access(number, doc_id, description))
    return out


def program_ini():
    global seed
    seed = 20070305
    p = []
    p += section('ОБЩИЕ')
    p += ['    НОМ_КОНФИГ=3', '    НОМ_ФАЙЛ_АРХ=7', '    СИСТ_ВРЕМЯ=ДА', '    ШРИФТ=Arial Cyr']
    p += section('ФОРМЫ')
    p += ['    ФОРМА=НАКЛ', '    ОПИСАНИЕ=|Дата|Сумма|', '    ОПИСАНИЕ=  |D  |N 2  |',
          '    ФОРМА=ПУСТАЯ']
    p += section('БАЗЫ')
    p += ['    ИМЯ_БАЗЫ=sales.dbf', '    ПСЕВДОНИМ=SALES', '    ПОДРАЗДЕЛЕНИЕ=Склад № 1',
          '        ИМЯ_ПОЛЯ=DATE', '        ТИП_ПОЛЯ=Дата', '        РАЗМ_ПОЛЯ=8', '        ДЕС_ПОЛЕ=0',
          '        ИМЯ_ПОЛЯ=SUMMA', '        ТИП_ПОЛЯ=Число', '        РАЗМ_ПОЛЯ=12', '        ДЕС_ПОЛЕ=2',
          '        ИМЯ_ПОЛЯ=ТОВАР', '        ТИП_ПОЛЯ=Строка', '        РАЗМ_ПОЛЯ=40', '        ДЕС_ПОЛЕ=0',
          '    ИМЯ_БАЗЫ=goods.dbf', '    ПСЕВДОНИМ=GOODS', '    ПОДРАЗДЕЛЕНИЕ=',
          '        ИМЯ_ПОЛЯ=CODE', '        ТИП_ПОЛЯ=Число', '        РАЗМ_ПОЛЯ=6', '        ДЕС_ПОЛЕ=0']
    p += section('СПРАВОЧНИКИ')
    p += ['    ПСЕВДОНИМ=SALES', '    ИМЯ_СПР=Продажи', '    ИМЯ_СПРАВ= Справочник продаж',
          '    ИМЯ_БЛАНК=НАКЛ', '    КОЛОНОК=2', '    ФИЛЬТР=SUMMA>0', '    ВСТАВКА=ДА',
          '    УДАЛЕНИЕ=НЕТ', '    РЕДАКТИР=ДА', '    АВТОСОРТ=НЕТ', '    ЗАПУСК_СОРТ=ДА',
          '    РЕД_КОЛ=0,1', '    СОРТИРОВКА=1,0', '    НОМ_КОЛ=1', '    ИМЯ_ПОЛЯ_СПРАВ=DATE',
          '    НОМ_КОЛ=2', '    ИМЯ_ПОЛЯ_СПРАВ=SUMMA',
          '    ПСЕВДОНИМ=GOODS', '    ИМЯ_СПР=GOODS', '    ИМЯ_СПРАВ=Товары', '    ИМЯ_БЛАНК=ПУСТАЯ',
          '    КОЛОНОК=0', '    ФИЛЬТР=', '    ВСТАВКА=НЕТ', '    УДАЛЕНИЕ=НЕТ', '    РЕДАКТИР=НЕТ',
          '    АВТОСОРТ=ДА', '    ЗАПУСК_СОРТ=НЕТ', '    РЕД_КОЛ=', '    СОРТИРОВКА=']
    p += section('ДОКУМЕНТЫ')
    p += doc(1, 'Продажи', 5, [], 255)
    p += doc(2, 'Накладная', 6, ['VARS', '  A N(10,2)', 'WORK', '  A = 1 + 2'], 3)
    p += doc(2, 'Счёт', 7, ["INIT", "  MESSAGE('Счёт')"], 0)
    p += doc(1, 'Отчёт', 9, [], 0)
    p += section('ПАНЕЛИ')
    p += ['    ИМЯ_ПАНЕЛИ=Главная', '    ИД_ФОРМЫ=6', '    КНОПКА=Накладная', '    РИСУНОК=2',
          '    ИД_ФОРМЫ=9', '    КНОПКА=Отчёт за день', '    РИСУНОК=0', '    ИМЯ_ПАНЕЛИ=Пустая']
    p += section('АВТОЗАПУСК')
    p += ['    ОПИСАНИЕ=INIT', '    ОПИСАНИЕ=  NO_OPERAT = 1']
    p += section('ПАРОЛИ')
    for i in range(1, 17):
        p.append('      КОД_БЕЗОП=%d,%s' % (i, pack_password('111' if i == 1 else 'пароль%d' % i, i)))
    p += section('АРХИВАЦИЯ')
    p += [' КОНФИГУРАЦИЯ=Продажи', ' ИД_КОНФИГ=1', ' НОМ_АРХИВА=4',
          '   ИМЯ_БАЗЫ=SALES', '   ПОЛЕ_ДАТЫ=DATE', '   ИСКЛЮЧЕНИЕ=SUMMA>0', '   ПОЛЕ_ГРУППЫ=нет',
          '   ПОСЛ_ЗАП=НЕТ', '   СВЯЗ_ПОЛЯ=GOODS:CODE',
          '   ИМЯ_БАЗЫ=GOODS', '   ПОЛЕ_ДАТЫ=CODE', '   ИСКЛЮЧЕНИЕ=', '   ПОЛЕ_ГРУППЫ=CODE',
          '   ПОСЛ_ЗАП=ДА', '   СВЯЗ_ПОЛЯ=']
    p += section('ЦЕННИКИ')
    p += [' НОМ_ЦЕН=0', ' ТОЛЩ_ЛИН=2', ' ШИРИНА_ЦЕН=600', ' ВЫСОТА_ЦЕН=400',
          ' НОМ_ЗОНЫ=0', ' КООРДИНАТЫ=10,10,300,100', ' ТЕКСТ=NAME + \'=\'', ' ИМЯ_ШРИФТА=Arial Cyr',
          ' СТИЛЬ_ШРИФТА=0,1', ' РАЗМ_ШРИФТА=4', ' РЕГ_ШРИФТА=1', ' ЦВЕТ_ШРИФТА=255',
          ' НЕПЕЧ_СИМВОЛЫ=#13#10', ' ТОЛЬКО_ПЕРВЫЙ=НЕТ', ' ШТРИХКОД=НЕТ', ' ШИР_ШТРИХ=0', ' ВЫР_ТЕКСТ=1',
          ' НОМ_ЗОНЫ=1', ' КООРДИНАТЫ=0,100,600,300', ' ТЕКСТ=CODE', ' ИМЯ_ШРИФТА=Courier',
          ' СТИЛЬ_ШРИФТА=', ' РАЗМ_ШРИФТА=7', ' РЕГ_ШРИФТА=0', ' ЦВЕТ_ШРИФТА=-1',
          ' НЕПЕЧ_СИМВОЛЫ=', ' ТОЛЬКО_ПЕРВЫЙ=ДА', ' ШТРИХКОД=ДА', ' ШИР_ШТРИХ=3', ' ВЫР_ТЕКСТ=0',
          ' НОМ_ГРАФ=0', ' ЦВЕТ_ГРАФ=16711680', ' ТИП_ГРАФ=2', ' ТОЛЩ_ГРАФ=3', ' ГРАФ_ФАЙЛ=logo.bmp',
          ' ГРАФ_ДАННЫЕ=' + ','.join(str(i) for i in range(1, 17)),
          ' НОМ_ЦЕН=1', ' ТОЛЩ_ЛИН=1', ' ШИРИНА_ЦЕН=50', ' ВЫСОТА_ЦЕН=50']
    write('program.ini', p)


def manager_ini():
    m = section('АВТОПАРАМЕТРЫ')
    m += ['    НОМЕР_ОПЕРАЦИИ=15',
          '    ИМЯ_ПАРАМ=ФИРМА', '    ТИП_ПАРАМ=Строка', "    ЗНАЧЕН_ПАРАМ='ООО \"Ромашка\" и '#39'K'#39",
          '    ИМЯ_ПАРАМ=КУРС', '    ТИП_ПАРАМ=Число', "    ЗНАЧЕН_ПАРАМ='28.5000'",
          '    ИМЯ_ПАРАМ=ДАТА_ИНВ', '    ТИП_ПАРАМ=Дата', "    ЗНАЧЕН_ПАРАМ='1.03.2007'",
          '    ИМЯ_ПАРАМ=ПУСТО', '    ТИП_ПАРАМ=Строка', "    ЗНАЧЕН_ПАРАМ=''"]
    write('manager.ini', m)


def local_ini():
    serial = bytearray(range(72))
    serial[67] = 0
    l = section('ОБЩИЕ')
    l += ['    ПОЗИЦИЯ_ГЛ=10,20,800,600', '    ПОЗ_СПРАВ=0,0,640,480', '    ЗАГОЛОВОК=Веломар — склад',
          '    ПОСЛ_ДАТА=5.03.2007', '    ПОСЛ_ВРЕМЯ=14:05.09', '    MOUSE_SCALE=360',
          '    ФОРМАТ_ПО_УМОЛ=A4', '    СЖАТЬ=ДА', '    ПРОЧЕЕ=' + serial.hex().upper()]
    l += section('АВТОПАРАМЕТРЫ')
    l += ['    ИМЯ_ПАРАМ=СКЛАД', '    ТИП_ПАРАМ=Число', "    ЗНАЧЕН_ПАРАМ='2'"]
    l += section('ДОКУМЕНТЫ')
    for level, doc_id, rect in ((2, 6, '1,2,3,4'), (2, 7, '0,0,0,0'), (1, 9, '5,6,7,8')):
        pad = ' ' * (2 * level + 6)
        l += [pad + 'ИД_ФОРМЫ=%d' % doc_id, pad + 'ПОЗ_СПРАВ=' + rect, pad + 'ПОЗ_ИНФ=0,0,0,0',
              pad + 'ПОЗ_РАБ=10,10,200,100', pad + 'РАЗМЕР_ФОРМЫ_X=%d' % (doc_id * 100),
              pad + 'РАЗМЕР_ФОРМЫ_Y=300', pad + 'ЗАПРЕТ_X=ДА', pad + 'ЗАПРЕТ_Y=НЕТ']
    l += section('ПАНЕЛИ')
    l += ['    ПОКАЗЫВАТЬ=0,ДА', '    ПОКАЗЫВАТЬ=1,НЕТ']
    l += section('ФОРМАТЫ')
    l += ['    ФОРМАТ=A4,0102ABCD', '    ФОРМАТ=Этикетка 58x40,FF00']
    l += section('ПРИНТЕР')
    l += ['    ИМЯ_ПРИНТ=Лазерный принтер']
    write('local.ini', l)


program_ini()
manager_ini()
local_ini()
