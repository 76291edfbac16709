-- What the demo suppliers supply: whole families from the catalogue, and a
-- few single items where a supplier keeps only part of a range.

insert into jur.t_supplier_item (id_supplier, id_item)
select s.id_supplier, i.id
  from (values
    (1, 'Провод монтажный ПуГВ'),
    (1, 'Выключатели автоматические модульные'),
    (1, 'Контакторы модульные'),
    (2, 'Кабель силовой ВВГнг(А)-LS'),
    (2, 'Кабель контрольный КВВГнг(А)-LS'),
    (3, 'Лист стальной холоднокатаный 08пс'),
    (3, 'Лист стальной оцинкованный'),
    (3, 'Круг стальной калиброванный ст.45'),
    (3, 'Труба профильная стальная'),
    (4, 'Резисторы SMD 0603'),
    (4, 'Конденсаторы керамические SMD 0603'),
    (4, 'Микроконтроллеры'),
    (4, 'Стабилизаторы напряжения'),
    (4, 'Диоды выпрямительные и Шоттки'),
    (5, 'Болты DIN 933 оцинкованные'),
    (5, 'Гайки DIN 934'),
    (5, 'Шайбы плоские DIN 125'),
    (5, 'Шайбы пружинные DIN 127'),
    (6, 'Датчики давления'),
    (6, 'Термопреобразователи сопротивления'),
    (21, 'Клеммники винтовые на плату'),
    (21, 'Разъёмы D-Sub')
  ) s (id_supplier, family)
  join dirs.t_item_family f on f.c_name = s.family
  join dirs.t_item i on i.id_item_family = f.id;

-- Part of a range: the reorganised firm's cable and a workshop's paint.
insert into jur.t_supplier_item (id_supplier, id_item)
select s.id_supplier, i.id
  from (values
    (20, 'Кабель ВВГнг(А)-LS 3×1,5'),
    (20, 'Кабель ВВГнг(А)-LS 3×2,5'),
    (20, 'Провод ПуГВ 1×1,5 чёрный'),
    (17, 'Краска порошковая RAL 7035 шагрень'),
    (21, 'Микросхема MAX485ESA'),
    (21, 'Микросхема CH340G')
  ) s (id_supplier, item)
  join dirs.t_item i on i.c_name = s.item;
