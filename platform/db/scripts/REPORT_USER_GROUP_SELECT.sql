select b_admin,
       case when b_admin then 'Администраторы' else 'Пользователи' end as c_title
  from sys.t_user
 group by b_admin
 order by b_admin desc
