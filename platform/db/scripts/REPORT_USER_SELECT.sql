select u.id,
       u.b_admin,
       u.c_name,
       u.c_login,
       to_char(u.d_created, 'DD.MM.YYYY') as c_created,
       case when u.b_blocked then 'заблокирован' else 'активен' end as c_state,
       (select count(*) from sys.t_right r where r.id_user = u.id) as n_rights,
       (select count(*) from sys.t_user_attr a where a.id_user = u.id) as n_settings
  from sys.t_user u
 order by u.b_admin desc, u.c_name
